// The products' files and texts: the float TIFF read back, product names,
// the cloud-top steps, and the value shown under the pointer.
#include <gtest/gtest.h>

#include <tiffio.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "calibration/pass_products.h"

namespace sorae {
namespace {

namespace fs = std::filesystem;

TEST(TemperatureTiff, ReadsBackAsFloatKelvinWithNaNAndReplacesAtomically) {
    const fs::path dir = fs::temp_directory_path() / ("sorae-tiff-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "pass-temperature.tif").string();
    std::vector<float> values(909 * 3);
    for (std::size_t i = 0; i < values.size(); ++i) values[i] = 200.0f + 0.01f * float(i);
    values[5] = NAN;
    ASSERT_TRUE(WriteFloatTiff(path, values, 909, 3, {{0, 0, 139.7, 35.7}, {908, 2, 141.0, 34.9}}).ok);

    TIFF* tif = TIFFOpen(path.c_str(), "r");
    ASSERT_NE(tif, nullptr);
    std::uint32_t width = 0, height = 0;
    std::uint16_t bits = 0, format = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetField(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetField(tif, TIFFTAG_SAMPLEFORMAT, &format);
    EXPECT_EQ(width, 909u);
    EXPECT_EQ(height, 3u);
    EXPECT_EQ(bits, 32);
    EXPECT_EQ(format, SAMPLEFORMAT_IEEEFP);
    std::vector<float> row(909);
    ASSERT_EQ(TIFFReadScanline(tif, row.data(), 2, 0), 1);
    EXPECT_FLOAT_EQ(row[17], values[2 * 909 + 17]);
    ASSERT_EQ(TIFFReadScanline(tif, row.data(), 0, 0), 1);
    EXPECT_TRUE(std::isnan(row[5]));
    TIFFClose(tif);

    // a raster that does not fit its size is refused and the old file stays
    const auto before = fs::file_size(path);
    EXPECT_FALSE(WriteFloatTiff(path, std::vector<float>(10), 909, 3).ok);
    EXPECT_EQ(fs::file_size(path), before);
    EXPECT_FALSE(fs::exists(path + ".part"));
    fs::remove_all(dir);
}

TEST(ProductNames, ListsParseAndFilesSitBesideThePicture) {
    std::string error;
    const auto list = ProductListFromText("thermal,temperature,thermal,cloudtop", &error);
    ASSERT_TRUE(list);
    EXPECT_EQ(*list, (std::vector<ProductKind>{ProductKind::Thermal, ProductKind::Temperature,
                                               ProductKind::CloudTop}));
    EXPECT_FALSE(ProductListFromText("thermal,sst", &error));
    EXPECT_NE(error.find("sst"), std::string::npos);
    EXPECT_EQ(ProductPath("pics/20261209120019B.jpg", ProductKind::Temperature),
              "pics/20261209120019B-temperature.tif");
    EXPECT_EQ(ProductPath("my.pics/20261209120019A-2.jpg", ProductKind::CloudTop),
              "my.pics/20261209120019A-2-cloudtop.jpg");
}

TEST(CloudTop, GreyAboveMinus30AndTenDegreeStepsBelow) {
    auto grey = [](ColourValue c) { return (c & 0xFF) == (c >> 8 & 0xFF) && (c & 0xFF) == (c >> 16 & 0xFF); };
    EXPECT_TRUE(grey(CloudTopColour(20.0)));
    EXPECT_TRUE(grey(CloudTopColour(-29.9)));
    EXPECT_GT(CloudTopColour(-29.9) & 0xFF, CloudTopColour(20.0) & 0xFF);   // colder is brighter
    const double steps[] = {-31.0, -41.0, -51.0, -61.0, -71.0, -85.0};
    for (int i = 0; i < 6; ++i) {
        EXPECT_FALSE(grey(CloudTopColour(steps[i]))) << steps[i];
        if (i > 0) { EXPECT_NE(CloudTopColour(steps[i]), CloudTopColour(steps[i - 1])) << steps[i]; }
        EXPECT_EQ(CloudTopColour(steps[i]), CloudTopColour(steps[i] - 8.0)) << steps[i];
    }
    EXPECT_EQ(ThermalScaleColour(-120.0), ThermalScaleColour(kThermalScaleLowC));
    EXPECT_EQ(ThermalScaleColour(90.0), ThermalScaleColour(kThermalScaleHighC));
}

TEST(PointerValue, TemperatureAlbedoOrGreyByWhatTheRowHolds) {
    PassCalibration pass;
    pass.rows = 2;
    pass.direction = 0;
    ChannelCalibration& b = pass.channel[1];
    b.values.assign(909 * 2, NAN);
    b.rowQuantity = {CalibratedQuantity::Kelvin, CalibratedQuantity::AlbedoPercent};
    b.values[10] = 285.44f;
    b.values[909 + 10] = 23.44f;
    const int column = ImageAreaLeft(0) + 10;
    EXPECT_EQ(PointerValueText(&pass, 1, 0, column, 0, 99), "12.3\u2103 (285.4 K)");
    EXPECT_EQ(PointerValueText(&pass, 1, 0, column, 1, 99), "\u53cd\u5c04\u7387 23.4%");
    EXPECT_EQ(PointerValueText(&pass, 1, 0, column + 1, 0, 99), "\u968e\u8abf 99");   // NaN there
    EXPECT_EQ(PointerValueText(&pass, 1, 0, 20, 0, 7), "\u968e\u8abf 7");   // beside the image area
    EXPECT_EQ(PointerValueText(nullptr, 0, 0, 500, 300, 42), "\u968e\u8abf 42");
    EXPECT_EQ(PointerValueText(&pass, 1, 0, -1, 0, 0), "");
}

}  // namespace
}  // namespace sorae
