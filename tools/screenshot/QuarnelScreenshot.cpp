// Draws the window for the pictures in docs/screenshots/ (the build target
// `screenshots` runs it):
//
//   quarnel_screenshot <picture.png> [dark]
//
// The window is built on the tests' platform double, so no settings file
// and no clock of this machine is read or touched, and drawn on Qt's
// offscreen platform at the display scale QT_SCALE_FACTOR sets, on a screen
// of 2560 x 1440 pixels, where the whole window fits up to 200 %. With `dark`
// the desktop hands the program a dark palette; the picture shows the window
// on that desktop's background.
#include <QApplication>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <cstdio>

#include "app/QuarnelApplication.h"
#include "app/Tabbedtemplate.h"
#include "settings/window/ScreenList.h"
#include "support/DarkDesktopPalette.h"
#include "support/RecordingPlatform.h"

namespace {

constexpr int kMargin = 16;

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QuarnelApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() < 2 || arguments.size() > 3 ||
        (arguments.size() == 3 && arguments[2] != QLatin1String("dark"))) {
        std::fputs("usage: quarnel_screenshot <picture.png> [dark]\n", stderr);
        return 2;
    }
    if (arguments.size() == 3) {
        QApplication::setPalette(quarnel::testing::darkDesktopPalette());
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    quarnel::testing::RecordingPlatform os;
    quarnel::setPlatform(os);
    const qreal scale = QGuiApplication::primaryScreen()->devicePixelRatio();
    const QRect screen(0, 0, qRound(2560 / scale), qRound(1440 / scale));
    setDesktopScreensHandler([screen] { return QList<QRect>{screen}; });

    TTabbedForm form;
    form.show();
    form.TabControl1->setCurrentWidget(form.tabItemTimeshift);
    form.swPauseActive->click();  // active: the clock buttons are enabled
    form.btnPlus->click();
    form.btnPlus->click();
    form.Timer1Timer();
    QApplication::processEvents();

    const QPixmap window = form.grab();
    QPixmap picture(window.size() + QSize(2, 2) * kMargin * window.devicePixelRatio());
    picture.setDevicePixelRatio(window.devicePixelRatio());
    picture.fill(QApplication::palette().color(QPalette::Window));
    QPainter(&picture).drawPixmap(kMargin, kMargin, window);
    if (!picture.save(arguments[1])) {
        std::fprintf(stderr, "quarnel_screenshot: cannot write %s\n", qPrintable(arguments[1]));
        return 1;
    }
    return 0;
}
