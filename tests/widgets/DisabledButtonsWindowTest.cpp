// The buttons whose captions have a colour of their own still look disabled
// when they are: the colour is the enabled look only. Read from the drawn
// pixels, as the user sees them.
#include <gmock/gmock.h>

#include <QImage>
#include <QtTest/QTest>
#include <map>

#include "support/WindowFixture.h"

namespace quarnel::testing {
namespace {

// The caption's colour: of the pixels inside the frame, the darkest (the
// captions are dark on a light button).
QRgb captionColour(QWidget* button) {
    const QImage image = button->grab().toImage();
    QRgb darkest = qRgb(255, 255, 255);
    for (int y = 4; y < image.height() - 4; ++y) {
        for (int x = 4; x < image.width() - 4; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qGray(pixel) < qGray(darkest)) {
                darkest = pixel;
            }
        }
    }
    return darkest;
}

class DisabledButtonsTest : public WindowTest {};

TEST_F(DisabledButtonsTest, ColouredCaptionsTakeTheDisabledLookWhenDisabled) {
    build();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->TabControl1->setCurrentWidget(form->tabItemTimeshift);
    const std::map<std::string, QPushButton*> buttons = {
        {"RESET", form->btnSetOrigin},
        {"ACCEPT", form->btnAcceptTimeShift},
        {"Use", useButton(QStringLiteral("Decodes"))},
        {"Reset", form->btnResetAlign}};
    for (const auto& [name, button] : buttons) {
        button->setEnabled(true);
        const QRgb enabled = captionColour(button);
        button->setEnabled(false);
        const QRgb disabled = captionColour(button);
        EXPECT_LE(qGray(enabled), 0x69 + 8) << name << ": the specified colour while enabled";
        EXPECT_GT(qGray(disabled), qGray(enabled) + 32) << name << ": disabled looks the same";
    }
}

}  // namespace
}  // namespace quarnel::testing
