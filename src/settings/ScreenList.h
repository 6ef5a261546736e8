#pragma once

#include <QList>
#include <QRect>
#include <functional>
#include <vector>

#include "settings/WindowPlacement.h"

// One screen of the desktop as the toolkit describes it.
struct ScreenRects {
    QRect whole;
    QRect available;  // without the panels and task bars that cover it
};

// The screens of the desktop, the primary one first.
QList<ScreenRects> desktopScreens();

// Window tests put screens of their own in; an empty function puts the
// toolkit's back.
void setDesktopScreensHandler(std::function<QList<ScreenRects>()> handler);

// Where a window's title bar can be grabbed: the available area of each
// screen, the primary one first. A title bar under a panel or a task bar is
// as unreachable as one off every screen.
std::vector<quarnel::ScreenArea> screenWorkAreas();
