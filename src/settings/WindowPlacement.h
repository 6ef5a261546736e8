#pragma once

#include <vector>

namespace quarnel {

struct ScreenPoint {
    int x = 0;
    int y = 0;

    bool operator==(const ScreenPoint&) const = default;
};

struct ScreenArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Where to put a window whose saved top-left corner is `saved`: there, if some
// part of its title bar (titleBarWidth x titleBarHeight from that corner) lies
// on one of the screens, so that the user can grab it; otherwise at the
// top-left corner of the primary screen, the first of `screens`. With no
// screen known the saved position is kept.
ScreenPoint reachableWindowPosition(ScreenPoint saved, int titleBarWidth, int titleBarHeight,
                                    const std::vector<ScreenArea>& screens);

}  // namespace quarnel
