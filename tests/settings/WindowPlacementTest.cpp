#include "settings/WindowPlacement.h"

#include <gtest/gtest.h>

#include <climits>

namespace quarnel {
namespace {

// A primary screen with a task bar at the bottom and a second screen to its left.
const std::vector<ScreenArea> kTwoScreens = {{0, 0, 1920, 1040}, {-1280, -200, 1280, 1024}};
constexpr int kTitleWidth = 400;
constexpr int kTitleHeight = 30;

struct PlacementCase {
    ScreenPoint saved;
    ScreenPoint placed;
    const char* what;
};

TEST(WindowPlacementTest, KeepsAPositionWhoseTitleBarCanBeGrabbed) {
    const PlacementCase cases[] = {
        {{0, 0}, {0, 0}, "primary corner"},
        {{700, 500}, {700, 500}, "inside the primary screen"},
        {{-1000, -150}, {-1000, -150}, "on the second screen"},
        {{-200, 100}, {-200, 100}, "across both screens"},
        {{-399, 900}, {-399, 900}, "one column on a screen"},
        {{1919, 1039}, {1919, 1039}, "one pixel on a screen"},
        {{100, -29}, {100, -29}, "title bar's last row on a screen"},
    };
    for (const PlacementCase& c : cases) {
        EXPECT_EQ(reachableWindowPosition(c.saved, kTitleWidth, kTitleHeight, kTwoScreens),
                  c.placed)
            << c.what;
    }
}

TEST(WindowPlacementTest, MovesATitleBarOffEveryScreenToThePrimaryCorner) {
    const PlacementCase cases[] = {
        {{-3000, 100}, {0, 0}, "on an unplugged screen further left"},
        {{1920, 0}, {0, 0}, "right of the primary screen"},
        {{100, 1040}, {0, 0}, "behind the task bar"},
        {{100, -30}, {0, 0}, "just above the primary screen"},
        {{-1280, -231}, {0, 0}, "just above the second screen"},
        {{INT_MAX, INT_MAX}, {0, 0}, "hand-edited extreme"},
        {{INT_MIN, INT_MIN}, {0, 0}, "hand-edited extreme"},
    };
    for (const PlacementCase& c : cases) {
        EXPECT_EQ(reachableWindowPosition(c.saved, kTitleWidth, kTitleHeight, kTwoScreens),
                  c.placed)
            << c.what;
    }
}

TEST(WindowPlacementTest, ThePrimaryScreenNeedNotStartAtTheOrigin) {
    const std::vector<ScreenArea> screens = {{1920, 24, 1920, 1056}, {0, 0, 1920, 1080}};
    EXPECT_EQ(reachableWindowPosition({5000, 0}, kTitleWidth, kTitleHeight, screens),
              (ScreenPoint{1920, 24}));
    EXPECT_EQ(reachableWindowPosition({5000, 0}, kTitleWidth, kTitleHeight, {}),
              (ScreenPoint{5000, 0}))
        << "no screen known";
}

}  // namespace
}  // namespace quarnel
