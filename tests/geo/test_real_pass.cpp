// A real NOAA 19 pass over Spain and Morocco (2019-05-21, recording from
// 17:02:04 UTC) placed with that day's elements: fitting the picture's
// coasts to the world outline in three bands across the swath measures how
// far each part of the picture lies from where the geometry puts it.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>

#include "geo/coast_alignment.h"
#include "geo/orbit_source.h"
#include "orbit/orbital_elements.h"
#include "reference_orbit.h"

namespace sorae {
namespace {

constexpr double kRecordingStart = 1558458124.0;  // 2019-05-21 17:02:04 UTC

TEST(RealPass, CoastsOfSpainAndMoroccoFallWhereTheOutlineHasThem) {
    // north-up as the decoder saved it: the 909 image words then a few of space
    QImage image(QString::fromStdString(test::GeoDataFile("noaa19_20190521_170204Z_north-up.png")));
    ASSERT_FALSE(image.isNull());
    image = image.convertToFormat(QImage::Format_Grayscale8);
    const int rows = image.height();
    ASSERT_EQ(rows, 977);
    std::vector<float> picture(std::size_t(kImageWords) * rows);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < kImageWords; ++c)
            picture[std::size_t(r) * kImageWords + c] = image.constScanLine(r)[c];

    ElementSetArray sets;
    int count = 0;
    ASSERT_EQ(ReadElementFile(sets, count, test::GeoDataFile("noaa_2019-05-21.txt")), 0);
    const auto propagator = Sgp4Propagator::fromElements(sets[1], nullptr);
    ASSERT_TRUE(propagator);
    SwathInputs in;
    in.orbit = OrbitFromPropagator(*propagator);
    in.turned = true;  // northbound, saved north-up: the first line is the bottom row
    in.rowUnixSeconds = test::RowTimes(kRecordingStart, rows, true);
    const auto placed = SwathGeolocation::build(in, nullptr);
    ASSERT_TRUE(placed);
    const auto outline = LoadWorldOutline(std::string(SORAE_SHARED_DATA_DIR) + "/AllWorld.map");
    ASSERT_TRUE(outline);

    struct Band {
        const char* name;
        int from, to;     // columns
        double limitKm;   // coastline misplacement allowed
        double minConfidence;
    };
    // Measured on this pass: west 1.6 km (few coasts, under cloud), centre
    // 2.3 km, east 6.9 km, whole 4.1 km; the limits keep them from getting worse.
    for (const Band& band : {Band{"west", 0, 300, 3.0, 0.0}, Band{"centre", 305, 605, 3.0, 0.5},
                             Band{"east", 609, 909, 8.0, 0.5}, Band{"whole", 0, 909, 5.0, 0.5}}) {
        const AlignmentResult fit = AlignToCoasts(in, {picture, {}}, *outline, band.from, band.to);
        EXPECT_GE(fit.confidence, band.minConfidence) << band.name << ": " << fit.text;
        // where the band's middle lies, and where its coasts say it lies
        const PicturePoint middle{0.5 * (band.from + band.to - 1), 300.0};
        const PicturePoint moved{middle.column + fit.columnShift, middle.row + fit.rowShift};
        const double km = test::SurfaceKm(*placed->groundPoint(middle), *placed->groundPoint(moved));
        std::printf("%-7s %+.2f rows, %+.2f columns (time %+.2f s, roll %+.3f deg), confidence %.2f: %.1f km\n",
                    band.name, fit.rowShift, fit.columnShift, fit.timeOffsetSeconds, fit.rollDeg,
                    fit.confidence, km);
        EXPECT_LT(km, band.limitKm) << band.name;
    }
}

}  // namespace
}  // namespace sorae
