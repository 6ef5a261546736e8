#include "settings/window/ScreenList.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace {

std::function<QList<QRect>()>& desktopScreensHandler() {
    static std::function<QList<QRect>()> handler;
    return handler;
}

QList<QRect> toolkitScreens() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    QList<QScreen*> screens = QGuiApplication::screens();
    std::stable_partition(screens.begin(), screens.end(),
                          [primary](const QScreen* screen) { return screen == primary; });
    QList<QRect> rects;
    for (const QScreen* screen : screens) {
        rects.append(screen->availableGeometry());
    }
    return rects;
}

}  // namespace

QList<QRect> desktopScreens() {
    return desktopScreensHandler() ? desktopScreensHandler()() : toolkitScreens();
}

void setDesktopScreensHandler(std::function<QList<QRect>()> handler) {
    desktopScreensHandler() = std::move(handler);
}

std::vector<quarnel::ScreenArea> screenWorkAreas() {
    std::vector<quarnel::ScreenArea> areas;
    for (const QRect& area : desktopScreens()) {
        areas.push_back({area.x(), area.y(), area.width(), area.height()});
    }
    return areas;
}
