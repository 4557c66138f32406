#include "calibration/temperature_tiff.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>

#include <geotiff/geo_normalize.h>
#include <geotiff/geotiff.h>
#include <geotiff/geovalues.h>
#include <geotiff/xtiffio.h>

namespace sorae {
namespace {

bool syncFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

std::string errorText(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

}  // namespace

std::vector<float> KelvinRaster(const ChannelCalibration& channel) {
    std::vector<float> out = channel.values;
    const std::size_t rows = channel.rowQuantity.size();
    for (std::size_t r = 0; r < rows; ++r)
        if (channel.rowQuantity[r] != CalibratedQuantity::Kelvin)
            std::fill_n(out.begin() + long(r * kImageWords), kImageWords,
                        std::numeric_limits<float>::quiet_NaN());
    return out;
}

TiffWriteResult WriteFloatTiff(const std::string& path, const std::vector<float>& values, int width,
                               int height, const std::vector<TiePoint>& tiePoints) {
    TiffWriteResult result;
    if (width <= 0 || height <= 0 || values.size() != std::size_t(width) * std::size_t(height)) {
        result.error = path + ": no raster to write";
        return result;
    }
    const std::string temporary = path + ".part";
    TIFF* tif = XTIFFOpen(temporary.c_str(), "w");
    if (!tif) {
        result.error = path + ": " + errorText("cannot create the file");
        return result;
    }
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, std::uint32_t(width)) &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, std::uint32_t(height)) &&
              TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 1) &&
              TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 32) &&
              TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, SAMPLEFORMAT_IEEEFP) &&
              TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) &&
              TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE) &&
              TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, std::uint32_t(std::min(height, 64))) &&
              TIFFSetField(tif, TIFFTAG_IMAGEDESCRIPTION, "brightness temperature, kelvin");
    if (ok && !tiePoints.empty()) {
        std::vector<double> points;
        for (const TiePoint& t : tiePoints)
            points.insert(points.end(), {t.pixel, t.line, 0.0, t.longitudeDeg, t.latitudeDeg, 0.0});
        ok = TIFFSetField(tif, TIFFTAG_GEOTIEPOINTS, int(points.size()), points.data());
        GTIF* gtif = ok ? GTIFNew(tif) : nullptr;
        ok = gtif != nullptr;
        if (ok) {
            GTIFKeySet(gtif, GTModelTypeGeoKey, TYPE_SHORT, 1, ModelGeographic);
            GTIFKeySet(gtif, GTRasterTypeGeoKey, TYPE_SHORT, 1, RasterPixelIsArea);
            GTIFKeySet(gtif, GeographicTypeGeoKey, TYPE_SHORT, 1, GCS_WGS_84);
            ok = GTIFWriteKeys(gtif);
            GTIFFree(gtif);
        }
    }
    std::vector<float> row(static_cast<std::size_t>(width));
    for (int y = 0; ok && y < height; ++y) {
        std::copy_n(values.begin() + long(y) * width, width, row.begin());
        ok = TIFFWriteScanline(tif, row.data(), std::uint32_t(y), 0) == 1;
    }
    ok = TIFFFlush(tif) == 1 && ok;
    XTIFFClose(tif);
    if (!ok) {
        std::remove(temporary.c_str());
        result.error = path + ": the TIFF could not be written";
        return result;
    }
    if (!syncFile(temporary)) {
        result.error = path + ": " + errorText("cannot sync the file");
        std::remove(temporary.c_str());
        return result;
    }
    std::error_code ec;
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        std::remove(temporary.c_str());
        result.error = path + ": " + ec.message();
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace sorae
