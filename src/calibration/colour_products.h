// The colour products of a calibrated pass, as pictures of the 909-word
// image area in the picture's rows and orientation: the thermal picture
// (temperature through a colour scale), the cloud-top picture (grey
// infrared with colour steps for cold tops), the daytime false-colour
// picture (sea, land, cloud, snow and ice told apart from the visible
// albedo and the infrared temperature) and the map-coloured infrared
// picture (land and sea from a land mask under the infrared clouds). The
// colour tables and rules are ours. Pixels without a value are black.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "calibration/pass_calibration.h"
#include "imaging/picture_buffer.h"

namespace sorae {

enum class ProductKind { Temperature, Thermal, FalseColour, CloudTop, MapColour };

// "temperature", "thermal", "falsecolour", "cloudtop", "mapcolour"
const char* ProductName(ProductKind kind);
std::optional<ProductKind> ProductFromName(const std::string& name);
// A comma-separated list; *error names the first unknown entry.
std::optional<std::vector<ProductKind>> ProductListFromText(const std::string& text,
                                                            std::string* error);

// The range of the thermal colour scale, in degrees Celsius.
inline constexpr double kThermalScaleLowC = -80.0;
inline constexpr double kThermalScaleHighC = 40.0;
inline constexpr double kKelvinAtZeroC = 273.15;

// The scale's colour of a temperature (clamped to the scale's ends).
ColourValue ThermalScaleColour(double celsius);
// The cloud-top colour of a temperature: the grey of the infrared picture
// (cold bright) down to -30 C, colour steps of 10 C below it.
ColourValue CloudTopColour(double celsius);

// The channel (0 A, 1 B) whose temperatures the products use: channel 4
// before 5 before 3B; nothing when neither has temperatures.
std::optional<int> InfraredChannel(const PassCalibration& pass);
// The other channel when it holds a visible sensor (albedo or grey).
std::optional<int> VisibleChannel(const PassCalibration& pass);

PictureBuffer ThermalPicture(const ChannelCalibration& ir, int rows);
PictureBuffer CloudTopPicture(const ChannelCalibration& ir, int rows);
// visibleGrey: the visible channel's 909 x rows grey levels (0..255) for
// rows without albedo (a satellite whose visible coefficients we lack).
PictureBuffer FalseColourPicture(const ChannelCalibration& visible,
                                 const std::vector<std::uint8_t>& visibleGrey,
                                 const ChannelCalibration& ir, int rows);
// landMask: 909 x rows, 1 land, 0 sea, in the picture's geometry.
PictureBuffer MapColourPicture(const ChannelCalibration& ir, const std::vector<std::uint8_t>& landMask,
                               int rows);

// The grey levels (0..255) of a channel's image area as its picture shows
// them (column 0 of the image area is ImageAreaLeft(direction)).
std::vector<std::uint8_t> ImageAreaGrey(const PictureBuffer& channelPicture, int direction);

}  // namespace sorae
