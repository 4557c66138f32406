#include "testsignal/test_patterns.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "testsignal/block_font.h"

namespace sorae::testsignal {

GreyPicture makeGradientPattern(int height) {
    GreyPicture p(kPictureColumns, height);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            p.at(x, y) = std::uint8_t((x * 255 + (kPictureColumns - 1) / 2) / (kPictureColumns - 1));
    return p;
}

GreyPicture makeBarsPattern(int height) {
    GreyPicture p(kPictureColumns, height);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            const int bar = std::min(x * 8 / kPictureColumns, 7);
            p.at(x, y) = std::uint8_t((bar * 255 + 3) / 7);
        }
    return p;
}

namespace {

void drawRing(GreyPicture& p, double cx, double cy, double radius, double thickness,
              std::uint8_t value) {
    const int x0 = int(cx - radius - thickness), x1 = int(cx + radius + thickness) + 1;
    const int y0 = int(cy - radius - thickness), y1 = int(cy + radius + thickness) + 1;
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double d = std::hypot(x - cx, y - cy);
            if (std::abs(d - radius) <= thickness / 2) p.set(x, y, value);
        }
}

void drawCentredText(GreyPicture& p, int y, std::string_view text, int scale, std::uint8_t value) {
    drawBlockText(p, (p.width - blockTextWidth(text, scale)) / 2, y, text, scale, value);
}

}  // namespace

GreyPicture makeTestCard(int height, char channelLabel, bool inverted) {
    const std::uint8_t background = 48, grid = 88, ink = 235;
    GreyPicture p(kPictureColumns, height, background);
    if (p.empty()) return p;
    const int w = p.width, h = p.height;

    // Grid every 64 pixels, then a white frame.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (x % 64 == 32 || y % 64 == 32) p.at(x, y) = grid;
    p.fillRect(0, 0, w, 4, ink);
    p.fillRect(0, h - 4, w, 4, ink);
    p.fillRect(0, 0, 4, h, ink);
    p.fillRect(w - 4, 0, 4, h, ink);

    // Circle and cross through the centre.
    const double cx = w / 2.0, cy = h / 2.0;
    const double radius = 0.34 * std::min(double(w), double(h));
    drawRing(p, cx, cy, radius, 6, ink);
    p.fillRect(int(cx) - 1, int(cy - radius), 3, int(2 * radius), 160);
    p.fillRect(int(cx - radius), int(cy) - 1, int(2 * radius), 3, 160);

    // Orientation: a solid triangle in the top-left corner and a small
    // square in the top-right one; the bottom corners stay empty.
    const int tri = std::max(16, std::min(120, h / 6));
    for (int y = 0; y < tri; ++y)
        for (int x = 0; x < tri - y; ++x) p.set(8 + x, 8 + y, ink);
    p.fillRect(w - 8 - tri / 2, 8, tri / 2, tri / 2, ink);

    // Title, channel label, "TOP" with an arrow pointing up.
    drawCentredText(p, std::max(12, h / 20), "SORAE-APT TEST CARD", 4, ink);
    const std::string label = std::string("CH ") + channelLabel;
    const int labelScale = std::max(2, std::min(16, h / 40));
    drawCentredText(p, int(cy) - labelScale * 7 / 2, label, labelScale, 255);
    const int arrowX = w - 120, arrowTop = tri + 30;
    drawBlockText(p, arrowX - 20, arrowTop, "TOP", 4, ink);
    for (int i = 0; i < 24; ++i) p.fillRect(arrowX + 10 - i, arrowTop + 40 + i, 2 * i + 1, 1, ink);
    p.fillRect(arrowX + 4, arrowTop + 64, 13, 60, ink);

    // 16-step grey scale and a left-to-right ramp near the bottom.
    const int stepsTop = h - std::max(40, h / 6);
    const int stepWidth = (w - 40) / 16;
    for (int k = 0; k < 16; ++k)
        p.fillRect(20 + k * stepWidth, stepsTop, stepWidth, std::max(8, h / 16), std::uint8_t(k * 17));
    const int rampTop = stepsTop + std::max(8, h / 16) + 4;
    for (int y = rampTop; y < std::min(h - 8, rampTop + std::max(6, h / 30)); ++y)
        for (int x = 20; x < w - 20; ++x) p.set(x, y, std::uint8_t((x - 20) * 255 / (w - 41)));

    // Resolution stripes of 1, 2, 3 and 4 pixels on the left.
    const int stripesTop = h / 3, stripesHeight = std::max(8, h / 10);
    for (int group = 0; group < 4; ++group) {
        const int period = 2 * (group + 1);
        const int x0 = 30 + group * 44;
        for (int x = 0; x < 40; ++x)
            if ((x % period) < period / 2) p.fillRect(x0 + x, stripesTop, 1, stripesHeight, 255);
            else p.fillRect(x0 + x, stripesTop, 1, stripesHeight, 0);
    }
    drawBlockText(p, 30, stripesTop + stripesHeight + 8, "1 2 3 4", 3, ink);
    drawBlockText(p, 24, h - 16 - 7 * 3 - std::max(40, h / 6) - 8, "LEFT", 3, ink);
    drawBlockText(p, w - 24 - blockTextWidth("RIGHT", 3), h - 16 - 7 * 3 - std::max(40, h / 6) - 8,
                  "RIGHT", 3, ink);

    if (inverted)
        for (auto& v : p.pixels) v = std::uint8_t(255 - v);
    return p;
}

std::optional<GreyPicture> makePattern(std::string_view name, int height, char channelLabel) {
    if (name == "gradient") return makeGradientPattern(height);
    if (name == "bars") return makeBarsPattern(height);
    if (name == "card") return makeTestCard(height, channelLabel, channelLabel == 'B');
    return std::nullopt;
}

}  // namespace sorae::testsignal
