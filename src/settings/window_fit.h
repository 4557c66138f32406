// Where a restored main window may go: the stored geometry comes from a file
// anyone can edit, so a size far beyond the screens (a window of a billion
// pixels a side would need gigabytes of memory) or a place no screen shows
// is brought back onto the screens before the window uses it.
#pragma once

#include <vector>

#include "settings/settings_file.h"

namespace sorae {

// One screen's area that windows may use, in desktop coordinates.
struct ScreenArea {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The placement to restore. The window goes by the screen that shows most
// of it (the first screen, the primary one, when none shows any). It is
// never larger than that screen, nor smaller than minWidth x minHeight
// (the minimum wins on a screen smaller than it). Its position is kept while
// a strip along its top edge, where the title bar is, lies on a screen
// enough to grab it; otherwise, and when it had to be made smaller, it is
// moved into the chosen screen as far as its size lets it. With no screen at all, only the size limits apply.
WindowPlacement fitWindowToScreens(const WindowPlacement& stored, const std::vector<ScreenArea>& screens,
                                   int minWidth, int minHeight);

}  // namespace sorae
