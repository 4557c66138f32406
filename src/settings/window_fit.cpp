#include "settings/window_fit.h"

#include <algorithm>

namespace sorae {

namespace {

// A rectangle in 64-bit numbers: stored values near the int limits must not
// overflow when added.
struct Box {
    long long left, top, right, bottom;
    long long area() const { return right > left && bottom > top ? (right - left) * (bottom - top) : 0; }
};

Box boxOf(const ScreenArea& s) { return {s.left, s.top, s.left + (long long)s.width, s.top + (long long)s.height}; }

Box overlap(const Box& a, const Box& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

// How much of the top edge must be on a screen for the window to be grabbed
// and moved by its title bar.
constexpr long long kGrabWidth = 100;
constexpr long long kGrabHeight = 20;

}  // namespace

WindowPlacement fitWindowToScreens(const WindowPlacement& stored, const std::vector<ScreenArea>& screens,
                                   int minWidth, int minHeight) {
    WindowPlacement fitted = stored;
    const long long width = std::max<long long>(stored.width, minWidth);
    const long long height = std::max<long long>(stored.height, minHeight);
    const Box window{stored.left, stored.top, stored.left + width, stored.top + height};

    const ScreenArea* chosen = nullptr;
    long long best = -1;
    for (const ScreenArea& s : screens) {
        const long long shown = overlap(window, boxOf(s)).area();
        if (shown > best) {
            best = shown;
            chosen = &s;
        }
    }
    if (best == 0) chosen = &screens.front();
    if (chosen == nullptr) {
        fitted.width = int(width);
        fitted.height = int(height);
        return fitted;
    }

    const Box screen = boxOf(*chosen);
    fitted.width = int(std::max<long long>(minWidth, std::min(width, screen.right - screen.left)));
    fitted.height = int(std::max<long long>(minHeight, std::min(height, screen.bottom - screen.top)));

    const Box titleStrip{stored.left, stored.top, static_cast<long long>(stored.left) + fitted.width,
                         stored.top + kGrabHeight};
    bool grabbable = false;
    for (const ScreenArea& s : screens) {
        const Box shown = overlap(titleStrip, boxOf(s));
        if (shown.right - shown.left >= std::min<long long>(kGrabWidth, fitted.width) &&
            shown.bottom - shown.top >= kGrabHeight) {
            grabbable = true;
        }
    }
    const bool shrunk = fitted.width < width || fitted.height < height;
    if (shrunk || !grabbable) {
        // Right and bottom first, so that a window larger than the screen
        // keeps its top-left corner (and title bar) on it.
        long long left = std::min<long long>(stored.left, screen.right - fitted.width);
        long long top = std::min<long long>(stored.top, screen.bottom - fitted.height);
        fitted.left = int(std::max(left, screen.left));
        fitted.top = int(std::max(top, screen.top));
    }
    return fitted;
}

}  // namespace sorae
