#include "settings/ScreenList.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace {

std::function<QList<ScreenRects>()>& desktopScreensHandler() {
    static std::function<QList<ScreenRects>()> handler;
    return handler;
}

QList<ScreenRects> toolkitScreens() {
    const QScreen* primary = QGuiApplication::primaryScreen();
    QList<QScreen*> screens = QGuiApplication::screens();
    std::stable_partition(screens.begin(), screens.end(),
                          [primary](const QScreen* screen) { return screen == primary; });
    QList<ScreenRects> rects;
    for (const QScreen* screen : screens) {
        rects.append({screen->geometry(), screen->availableGeometry()});
    }
    return rects;
}

}  // namespace

QList<ScreenRects> desktopScreens() {
    return desktopScreensHandler() ? desktopScreensHandler()() : toolkitScreens();
}

void setDesktopScreensHandler(std::function<QList<ScreenRects>()> handler) {
    desktopScreensHandler() = std::move(handler);
}

std::vector<quarnel::ScreenArea> screenWorkAreas() {
    std::vector<quarnel::ScreenArea> areas;
    for (const ScreenRects& screen : desktopScreens()) {
        const QRect& area = screen.available;
        areas.push_back({area.x(), area.y(), area.width(), area.height()});
    }
    return areas;
}
