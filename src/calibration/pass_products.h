// The calibrated products of a pass written beside its channel pictures:
// for each infrared channel `<picture>-temperature.tif`, and for the
// infrared channel the products use `<picture>-thermal.jpg`,
// `-cloudtop.jpg`, `-falsecolour.jpg` and `-mapcolour.jpg`. What could not
// be made is said in words; the channel pictures are never touched.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "calibration/colour_products.h"
#include "calibration/pass_calibration.h"
#include "calibration/temperature_tiff.h"
#include "imaging/picture_buffer.h"
#include "settings/app_settings.h"

namespace sorae {

// Adds the colour scale with its legend and the pass's title to a thermal
// picture (drawing text needs a font renderer: the caller's).
using ThermalDecorator = std::function<PictureBuffer(const PictureBuffer& thermal, const std::string& title)>;

struct ProductRequest {
    std::vector<ProductKind> kinds;
    std::array<std::string, 2> picturePaths;    // the saved channel pictures ("" none)
    std::string title;                          // the pass's title for the thermal picture
    std::optional<std::vector<std::uint8_t>> landMask;   // 909 x rows, 1 land
    std::array<std::vector<TiePoint>, 2> tiePoints;      // per channel, for GeoTIFF
};

struct ProductReport {
    std::vector<std::string> filesWritten;
    std::vector<std::string> errors;    // files that could not be written
    std::vector<std::string> skipped;   // products not made, and why
};

// The products the settings ask for ([Products]).
std::vector<ProductKind> ProductsChosen(const AppSettings& settings);

// The file of a product beside a channel picture ("...B.jpg" ->
// "...B-thermal.jpg", "...B-temperature.tif").
std::string ProductPath(const std::string& picturePath, ProductKind kind);

ProductReport WriteProducts(const PassCalibration& pass, const ProductRequest& request,
                            const ThermalDecorator& decorate);

// The value under the pointer for the status bar: the temperature
// ("12.3℃ (285.5 K)"), the albedo ("反射率 23.4%"), or else the picture's
// grey level ("階調 123"); "" off the picture. pictureColumn counts in the
// 1040-word picture, row in the picture's rows.
std::string PointerValueText(const PassCalibration* pass, int channel, int direction,
                             int pictureColumn, int row, int grey);

// What was calibrated, for `decode`: blackbody, thermometer spread, each
// channel's sensors with their space and blackbody counts, the scene's
// range, and why a channel was not.
std::string FormatCalibrationReport(const PassCalibration& pass);

}  // namespace sorae
