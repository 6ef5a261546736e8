#include "settings/WindowPlacement.h"

#include <algorithm>
#include <cstdint>

namespace quarnel {
namespace {

// Hand-edited positions may lie near the ends of the int range, so the edges
// are computed in 64 bits.
bool overlaps(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height,
              const ScreenArea& screen) {
    return left < std::int64_t{screen.x} + screen.width && std::int64_t{screen.x} < left + width &&
           top < std::int64_t{screen.y} + screen.height && std::int64_t{screen.y} < top + height;
}

}  // namespace

ScreenPoint reachableWindowPosition(ScreenPoint saved, int titleBarWidth, int titleBarHeight,
                                    const std::vector<ScreenArea>& screens) {
    if (screens.empty()) {
        return saved;
    }
    const bool reachable = std::any_of(screens.begin(), screens.end(), [&](const ScreenArea& s) {
        return overlaps(saved.x, saved.y, titleBarWidth, titleBarHeight, s);
    });
    return reachable ? saved : ScreenPoint{screens.front().x, screens.front().y};
}

}  // namespace quarnel
