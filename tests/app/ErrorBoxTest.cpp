#include <gtest/gtest.h>

#include <QPushButton>
#include <QtTest/QTest>
#include <stdexcept>

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

// A handler's exception reaches the application object, which shows it and
// lets the program run on.
TEST_F(WindowTest, AnExceptionFromAHandlerIsShownAndTheWindowRunsOn) {
    build();
    QPushButton thrower;
    QObject::connect(&thrower, &QPushButton::clicked, [] { throw std::runtime_error("Kaputt"); });
    QObject::connect(&thrower, &QPushButton::pressed, [] { throw 42; });

    QTest::mouseClick(&thrower, Qt::LeftButton);

    EXPECT_EQ(errorBoxes, QStringList({"", "Kaputt."}));
}

}  // namespace
}  // namespace quarnel::testing
