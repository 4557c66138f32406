#include "geo/geotiff_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include <geotiff/geotiff.h>
#include <geotiff/geotiffio.h>
#include <geotiff/geovalues.h>
#include <geotiff/xtiffio.h>

namespace sorae {

namespace {

constexpr ttag_t kGdalNoDataTag = 42113;

bool Fail(std::string* error, const std::string& text) {
    if (error) *error = text;
    return false;
}

bool WriteRaster(const std::string& path, int width, int height, const void* data, int bytesPerSample,
                 bool isFloat, const GeoTiffGeoreference& where, std::string* error) {
    if (width <= 0 || height <= 0) return Fail(error, path + ": empty raster");
    std::string temporary = path + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0) return Fail(error, path + ": cannot create a file (" + std::strerror(errno) + ")");
    ::close(fd);
    auto failAndRemove = [&](const std::string& text) {
        std::remove(temporary.c_str());
        return Fail(error, path + ": " + text);
    };

    TIFF* tif = XTIFFOpen(temporary.c_str(), "w");
    if (!tif) return failAndRemove("cannot open for writing");
    static const TIFFFieldInfo noDataField[] = {
        {kGdalNoDataTag, -1, -1, TIFF_ASCII, FIELD_CUSTOM, 1, 0, const_cast<char*>("GDALNoDataValue")}};
    TIFFMergeFieldInfo(tif, noDataField, 1);
    bool ok = TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, uint32_t(width)) &&
              TIFFSetField(tif, TIFFTAG_IMAGELENGTH, uint32_t(height)) &&
              TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, uint16_t(1)) &&
              TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, uint16_t(bytesPerSample * 8)) &&
              TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, uint16_t(isFloat ? SAMPLEFORMAT_IEEEFP : SAMPLEFORMAT_UINT)) &&
              TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, uint16_t(PHOTOMETRIC_MINISBLACK)) &&
              TIFFSetField(tif, TIFFTAG_PLANARCONFIG, uint16_t(PLANARCONFIG_CONTIG)) &&
              TIFFSetField(tif, TIFFTAG_COMPRESSION, uint16_t(COMPRESSION_ADOBE_DEFLATE)) &&
              TIFFSetField(tif, TIFFTAG_PREDICTOR, uint16_t(isFloat ? 3 : 2)) &&
              TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    if (ok && where.projected) {
        const auto& grid = *where.projected;
        const double scale[3] = {grid.cellMetres, grid.cellMetres, 0.0};
        const double tie[6] = {0.0, 0.0, 0.0, grid.westMetres, grid.northMetres, 0.0};
        ok = TIFFSetField(tif, TIFFTAG_GEOPIXELSCALE, 3, scale) && TIFFSetField(tif, TIFFTAG_GEOTIEPOINTS, 6, tie);
    } else if (ok && where.tiePoints.empty()) {
        const double scale[3] = {where.cellDeg, where.cellDeg, 0.0};
        const double tie[6] = {0.0, 0.0, 0.0, where.westDeg, where.northDeg, 0.0};
        ok = TIFFSetField(tif, TIFFTAG_GEOPIXELSCALE, 3, scale) && TIFFSetField(tif, TIFFTAG_GEOTIEPOINTS, 6, tie);
    } else if (ok) {
        std::vector<double> ties;
        for (const GeoTiffTiePoint& t : where.tiePoints)
            ties.insert(ties.end(), {t.pixel, t.line, 0.0, t.longitudeDeg, t.latitudeDeg, 0.0});
        ok = TIFFSetField(tif, TIFFTAG_GEOTIEPOINTS, int(ties.size()), ties.data());
    }
    if (ok && where.noData) {
        std::ostringstream text;
        text << *where.noData;
        ok = TIFFSetField(tif, kGdalNoDataTag, text.str().c_str());
    }
    GTIF* keys = ok ? GTIFNew(tif) : nullptr;
    if (keys) {
        if (where.projected)
            ok = GTIFKeySet(keys, GTModelTypeGeoKey, TYPE_SHORT, 1, ModelTypeProjected) &&
                 GTIFKeySet(keys, GTRasterTypeGeoKey, TYPE_SHORT, 1, RasterPixelIsArea) &&
                 GTIFKeySet(keys, ProjectedCSTypeGeoKey, TYPE_SHORT, 1, where.projected->epsg) &&
                 GTIFKeySet(keys, ProjLinearUnitsGeoKey, TYPE_SHORT, 1, Linear_Meter);
        else
            ok = GTIFKeySet(keys, GTModelTypeGeoKey, TYPE_SHORT, 1, ModelTypeGeographic) &&
                 GTIFKeySet(keys, GTRasterTypeGeoKey, TYPE_SHORT, 1, RasterPixelIsArea) &&
                 GTIFKeySet(keys, GeographicTypeGeoKey, TYPE_SHORT, 1, GCS_WGS_84) &&
                 GTIFKeySet(keys, GeogAngularUnitsGeoKey, TYPE_SHORT, 1, Angular_Degree);
        ok = ok && GTIFWriteKeys(keys);
        GTIFFree(keys);
    } else {
        ok = false;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::vector<unsigned char> row(std::size_t(width) * bytesPerSample);
    for (int y = 0; ok && y < height; ++y) {
        std::memcpy(row.data(), bytes + std::size_t(y) * row.size(), row.size());
        ok = TIFFWriteScanline(tif, row.data(), uint32_t(y), 0) == 1;
    }
    ok = ok && TIFFFlush(tif) == 1;
    XTIFFClose(tif);
    if (!ok) return failAndRemove("could not be written");

    const int sync = ::open(temporary.c_str(), O_RDONLY);
    if (sync < 0 || ::fsync(sync) != 0) {
        if (sync >= 0) ::close(sync);
        return failAndRemove("could not be flushed to disk");
    }
    ::close(sync);
    if (std::rename(temporary.c_str(), path.c_str()) != 0)
        return failAndRemove(std::string("could not be renamed into place (") + std::strerror(errno) + ")");
    return true;
}

}  // namespace

bool WriteGeoTiff(const std::string& path, int width, int height, const std::vector<std::uint8_t>& grey,
                  const GeoTiffGeoreference& where, std::string* error) {
    if (grey.size() != std::size_t(width) * std::size_t(height)) return Fail(error, path + ": raster size mismatch");
    return WriteRaster(path, width, height, grey.data(), 1, false, where, error);
}

bool WriteGeoTiff(const std::string& path, int width, int height, const std::vector<float>& values,
                  const GeoTiffGeoreference& where, std::string* error) {
    if (values.size() != std::size_t(width) * std::size_t(height)) return Fail(error, path + ": raster size mismatch");
    return WriteRaster(path, width, height, values.data(), 4, true, where, error);
}

}  // namespace sorae
