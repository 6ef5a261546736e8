#include <gtest/gtest.h>

#include <QPushButton>

#include <QtTest/QTest>
#include <stdexcept>
#include "clock/TimeCount.h"

#include "support/WindowFixture.h"

namespace quarnel::testing {
namespace {

TEST(ErrorBoxTextTest, AddsAFullStopAfterACharacterAboveThePoint) {
    EXPECT_EQ(errorBoxText("'' ist kein gültiger Integerwert"),
              "'' ist kein gültiger Integerwert.");
    EXPECT_EQ(errorBoxText("Code 42"), "Code 42.");
    EXPECT_EQ(errorBoxText("Done."), "Done.");
    EXPECT_EQ(errorBoxText("Really!"), "Really!");  // "!" comes before "."
    EXPECT_EQ(errorBoxText("Übermaß"), "Übermaß.");
    EXPECT_EQ(errorBoxText(""), "");
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

    EXPECT_EQ(errorBoxes, QStringList({"Kaputt.", ""}));
}

// The window's handlers show their own errors: none crosses the toolkit's
// signal delivery, which would leak its bookkeeping.
TEST_F(WindowTest, AHandlersErrorIsShownBeforeItLeavesTheHandler) {
    TTabbedForm& window = build();
    unit.AlignShift = kLargestShift;
    EXPECT_NO_THROW(window.btnPlusClick());
    os.refuseSetWith = "Operation not permitted";
    EXPECT_NO_THROW(window.btnAcceptTimeShiftClick());

    EXPECT_EQ(errorBoxes, QStringList({"The shift cannot go beyond 100 days either way.",
                                       "The clock could not be set: Operation not permitted."}));
}

}  // namespace
}  // namespace quarnel::testing
