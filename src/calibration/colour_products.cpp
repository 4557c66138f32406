#include "calibration/colour_products.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>

namespace sorae {
namespace {

struct Rgb {
    double r, g, b;
};

ColourValue colourOf(const Rgb& c) {
    auto byte = [](double v) { return ColourValue(std::clamp(std::lround(v), 0L, 255L)); };
    return byte(c.r) | byte(c.g) << 8 | byte(c.b) << 16;
}

Rgb mix(const Rgb& a, const Rgb& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// The thermal scale: cold tops white and violet, through blue and cyan for
// cold cloud, green and yellow for cool ground and sea, to red for hot ground.
struct Stop {
    double celsius;
    Rgb colour;
};
constexpr std::array<Stop, 8> kThermalStops{{
    {-80.0, {255, 255, 255}},
    {-65.0, {200, 80, 220}},
    {-50.0, {40, 40, 200}},
    {-30.0, {0, 170, 255}},
    {-10.0, {0, 200, 120}},
    {5.0, {150, 220, 40}},
    {20.0, {255, 200, 0}},
    {40.0, {200, 0, 0}},
}};

// Cloud-top steps below -30 C, 10 C each, colder last.
constexpr std::array<Rgb, 6> kCloudTopSteps{{
    {0, 200, 255},    // -30 .. -40
    {0, 80, 255},     // -40 .. -50
    {0, 200, 0},      // -50 .. -60
    {255, 230, 0},    // -60 .. -70
    {255, 0, 0},      // -70 .. -80
    {255, 0, 255},    // below -80
}};

// Grey of an infrared temperature: -70 C white, +40 C black.
double infraredGrey(double celsius) { return std::clamp((40.0 - celsius) / 110.0, 0.0, 1.0) * 255.0; }

template <class Pixel>
PictureBuffer paint(int rows, Pixel pixel) {
    PictureBuffer p(kImageWords, rows);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < kImageWords; ++x) SetPicturePixel(x, y, p, pixel(x, y));
    return p;
}

}  // namespace

const char* ProductName(ProductKind kind) {
    switch (kind) {
    case ProductKind::Temperature: return "temperature";
    case ProductKind::Thermal: return "thermal";
    case ProductKind::FalseColour: return "falsecolour";
    case ProductKind::CloudTop: return "cloudtop";
    case ProductKind::MapColour: return "mapcolour";
    }
    return "";
}

std::optional<ProductKind> ProductFromName(const std::string& name) {
    for (const ProductKind k : {ProductKind::Temperature, ProductKind::Thermal,
                                ProductKind::FalseColour, ProductKind::CloudTop,
                                ProductKind::MapColour})
        if (name == ProductName(k)) return k;
    return std::nullopt;
}

std::optional<std::vector<ProductKind>> ProductListFromText(const std::string& text,
                                                            std::string* error) {
    std::vector<ProductKind> list;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, ',')) {
        if (item.empty()) continue;
        const auto kind = ProductFromName(item);
        if (!kind) {
            if (error) *error = "unknown product '" + item + "'";
            return std::nullopt;
        }
        if (std::find(list.begin(), list.end(), *kind) == list.end()) list.push_back(*kind);
    }
    return list;
}

ColourValue ThermalScaleColour(double celsius) {
    if (!(celsius > kThermalStops.front().celsius)) return colourOf(kThermalStops.front().colour);
    for (std::size_t i = 1; i < kThermalStops.size(); ++i) {
        if (celsius <= kThermalStops[i].celsius) {
            const Stop& a = kThermalStops[i - 1];
            const Stop& b = kThermalStops[i];
            return colourOf(mix(a.colour, b.colour, (celsius - a.celsius) / (b.celsius - a.celsius)));
        }
    }
    return colourOf(kThermalStops.back().colour);
}

ColourValue CloudTopColour(double celsius) {
    if (celsius > -30.0) {
        const double g = infraredGrey(celsius);
        return colourOf({g, g, g});
    }
    const int step = std::min(int((-30.0 - celsius) / 10.0), int(kCloudTopSteps.size()) - 1);
    return colourOf(kCloudTopSteps[step]);
}

std::optional<int> InfraredChannel(const PassCalibration& pass) {
    for (const AvhrrChannel wanted : {AvhrrChannel::Ch4, AvhrrChannel::Ch5, AvhrrChannel::Ch3B})
        for (int r = 0; r < 2; ++r)
            for (const CalibrationSegment& s : pass.channel[r].segments)
                if (s.channel == wanted && s.quantity == CalibratedQuantity::Kelvin) return r;
    return std::nullopt;
}

std::optional<int> VisibleChannel(const PassCalibration& pass) {
    const std::optional<int> ir = InfraredChannel(pass);
    if (!ir) return std::nullopt;
    const int other = 1 - *ir;
    for (const CalibrationSegment& s : pass.channel[other].segments)
        if (!IsThermal(s.channel)) return other;
    return std::nullopt;
}

PictureBuffer ThermalPicture(const ChannelCalibration& ir, int rows) {
    return paint(rows, [&](int x, int y) -> ColourValue {
        const float k = ir.at(x, y);
        return std::isfinite(k) ? ThermalScaleColour(k - kKelvinAtZeroC) : 0;
    });
}

PictureBuffer CloudTopPicture(const ChannelCalibration& ir, int rows) {
    return paint(rows, [&](int x, int y) -> ColourValue {
        const float k = ir.at(x, y);
        return std::isfinite(k) ? CloudTopColour(k - kKelvinAtZeroC) : 0;
    });
}

PictureBuffer FalseColourPicture(const ChannelCalibration& visible,
                                 const std::vector<std::uint8_t>& visibleGrey,
                                 const ChannelCalibration& ir, int rows) {
    const Rgb deepSea{10, 30, 90}, shallowSea{30, 80, 150};
    const Rgb greenLand{60, 120, 40}, dryLand{170, 140, 90};
    const Rgb snow{200, 240, 255}, cloud{250, 250, 250};
    return paint(rows, [&](int x, int y) -> ColourValue {
        const float k = ir.at(x, y);
        if (!std::isfinite(k)) return 0;
        double albedo = visible.at(x, y);
        if (!std::isfinite(albedo)) {
            const std::size_t i = std::size_t(y) * kImageWords + std::size_t(x);
            if (i >= visibleGrey.size()) return 0;
            albedo = visibleGrey[i] * (100.0 / 255.0);
        }
        const double celsius = k - kKelvinAtZeroC;
        // the surface: sea dark, land brighter and browner the brighter it is
        Rgb base = albedo < 9.0 ? mix(deepSea, shallowSea, std::clamp(albedo / 9.0, 0.0, 1.0))
                                : mix(greenLand, dryLand, std::clamp((albedo - 9.0) / 20.0, 0.0, 1.0));
        // bright and cold: cloud, or snow and ice where it is bright but not
        // as cold as cloud tops (between -25 and +2 C)
        const double bright = std::clamp((albedo - 25.0) / 30.0, 0.0, 1.0);
        if (bright > 0.0) {
            const bool snowy = celsius > -25.0 && celsius < 2.0 && albedo < 75.0;
            const Rgb top = snowy ? snow : mix(cloud, Rgb{180, 180, 190}, std::clamp(celsius / 20.0, 0.0, 1.0));
            base = mix(base, top, bright);
        }
        // cold thin cloud over a dark surface still greys it
        const double thinCloud = std::clamp((-celsius - 10.0) / 40.0, 0.0, 0.6) * (1.0 - bright);
        return colourOf(mix(base, Rgb{235, 235, 240}, thinCloud));
    });
}

PictureBuffer MapColourPicture(const ChannelCalibration& ir, const std::vector<std::uint8_t>& landMask,
                               int rows) {
    const Rgb sea{20, 50, 120}, land{70, 125, 50};
    return paint(rows, [&](int x, int y) -> ColourValue {
        const float k = ir.at(x, y);
        const std::size_t i = std::size_t(y) * kImageWords + std::size_t(x);
        const bool isLand = i < landMask.size() && landMask[i] != 0;
        const Rgb base = isLand ? land : sea;
        if (!std::isfinite(k)) return colourOf(base);
        // clear above +10 C, opaque white cloud below -30 C
        const double celsius = k - kKelvinAtZeroC;
        const double opacity = std::clamp((10.0 - celsius) / 40.0, 0.0, 1.0);
        const double g = infraredGrey(celsius);
        return colourOf(mix(base, Rgb{std::max(g, 200.0), std::max(g, 200.0), std::max(g, 205.0)}, opacity));
    });
}

std::vector<std::uint8_t> ImageAreaGrey(const PictureBuffer& channelPicture, int direction) {
    std::vector<std::uint8_t> grey(std::size_t(channelPicture.height) * kImageWords, 0);
    const int left = ImageAreaLeft(direction);
    if (channelPicture.width < left + kImageWords) return grey;
    for (int y = 0; y < channelPicture.height; ++y)
        for (int x = 0; x < kImageWords; ++x)
            grey[std::size_t(y) * kImageWords + std::size_t(x)] = std::uint8_t(channelPicture.grey(left + x, y));
    return grey;
}

}  // namespace sorae
