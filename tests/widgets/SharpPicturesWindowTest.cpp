// The QR code on the Info tab keeps sharp, even modules at the display's
// scale: every module is a square of whole screen pixels in black or white,
// with no grey edge that smoothing would leave. The suite also runs in
// processes of their own at 150 % and 200 % (tests/widgets/CMakeLists.txt).
#include <gmock/gmock.h>

#include <QImage>
#include <QtTest/QTest>

#include "support/WindowFixture.h"

namespace quarnel::testing {
namespace {

class SharpPicturesTest : public WindowTest {};

TEST_F(SharpPicturesTest, TheQrCodeIsDrawnInWholeScreenPixels) {
    build();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->TabControl1->setCurrentWidget(form->tabItemInfo);
    const qreal ratio = form->Image1->devicePixelRatioF();
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR")) {
        ASSERT_DOUBLE_EQ(ratio, qEnvironmentVariable("QT_SCALE_FACTOR").toDouble());
    }
    const QImage code = form->Image1->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage drawn = form->Image1->grab().toImage().convertToFormat(QImage::Format_RGB32);

    // The code's square: the black and white pixels; anything else is the
    // background around it.
    const QRgb black = qRgb(0, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    const QRgb background = drawn.pixel(0, 0);
    QRect square;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb pixel = drawn.pixel(x, y);
            if (pixel == black || pixel == white) {
                square |= QRect(x, y, 1, 1);
            } else {
                ASSERT_EQ(pixel, background) << "a smoothed edge at " << x << ", " << y;
            }
        }
    }
    ASSERT_EQ(square.width(), square.height());
    ASSERT_EQ(square.width() % code.width(), 0) << "modules of unequal widths";
    EXPECT_GE(square.width(), 0.6 * form->Image1->height() * ratio) << "drawn too small";
    const int module = square.width() / code.width();
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            if (square.contains(x, y)) {
                const QPoint inCode((x - square.x()) / module, (y - square.y()) / module);
                ASSERT_EQ(drawn.pixel(x, y), code.pixel(inCode)) << "at " << x << ", " << y;
            }
        }
    }
}

}  // namespace
}  // namespace quarnel::testing
