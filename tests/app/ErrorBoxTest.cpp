#include <gtest/gtest.h>

#include <QPushButton>

#include <QtTest/QTest>
#include <stdexcept>
#include "clock/TimeCount.h"

#include "support/WindowFixture.h"

using namespace Qt::StringLiterals;

namespace quarnel::testing {
namespace {

TEST(ErrorBoxTextTest, AddsAFullStopAfterACharacterAboveThePoint) {
    EXPECT_EQ(errorBoxText(u"'' ist kein gültiger Integerwert"_s),
              u"'' ist kein gültiger Integerwert."_s);
    EXPECT_EQ(errorBoxText(u"Code 42"_s), u"Code 42."_s);
    EXPECT_EQ(errorBoxText(u"Done."_s), u"Done."_s);
    EXPECT_EQ(errorBoxText(u"Really!"_s), u"Really!"_s);  // u"!"_s comes before u"."_s
    EXPECT_EQ(errorBoxText(u"Übermaß"_s), u"Übermaß."_s);
    EXPECT_EQ(errorBoxText(u""_s), u""_s);
}

// The last resort: an exception that leaves an event handler reaches the
// application object, which shows it and lets the program run on.
TEST_F(WindowTest, AnExceptionFromAnEventHandlerIsShownAndTheWindowRunsOn) {
    build();
    class Thrower : public QWidget {
      protected:
        bool event(QEvent* event) override {
            if (event->type() == QEvent::User) {
                throw std::runtime_error("Kaputt");
            }
            if (event->type() == QEvent::User + 1) {
                throw 42;
            }
            return QWidget::event(event);
        }
    } thrower;

    QEvent first(QEvent::User);
    QApplication::sendEvent(&thrower, &first);
    QEvent second(static_cast<QEvent::Type>(QEvent::User + 1));
    QApplication::sendEvent(&thrower, &second);

    EXPECT_EQ(errorBoxes, QStringList({u"Kaputt."_s, u""_s}));
}

// The window's handlers show their own errors: none crosses the toolkit's
// signal delivery, which would leak its bookkeeping.
TEST_F(WindowTest, AHandlersErrorIsShownBeforeItLeavesTheHandler) {
    TTabbedForm& window = build();
    unit.AlignShift = kLargestShift;
    EXPECT_NO_THROW(window.btnPlusClick());
    os.refuseSetWith = "Operation not permitted";
    unit.RunningShift = kShiftStep;
    EXPECT_NO_THROW(window.btnSetOriginClick());

    EXPECT_EQ(errorBoxes, QStringList({u"The shift cannot go beyond 100 days either way."_s,
                                       u"The clock could not be set: Operation not permitted."_s}));
}

}  // namespace
}  // namespace quarnel::testing
