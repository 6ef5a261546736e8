#pragma once

#include <QList>
#include <QRect>
#include <functional>
#include <vector>

#include "settings/WindowPlacement.h"

// The available area of each screen of the desktop (without the panels and
// task bars that cover it), the primary one first.
QList<QRect> desktopScreens();

// Window tests put screens of their own in; an empty function puts the
// toolkit's back.
void setDesktopScreensHandler(std::function<QList<QRect>()> handler);

// Where a window's title bar can be grabbed: the available area of each
// screen, the primary one first. A title bar under a panel or a task bar is
// as unreachable as one off every screen.
std::vector<quarnel::ScreenArea> screenWorkAreas();
