// Runs the window tests in one QuarnelApplication on the offscreen platform.
#include <gmock/gmock.h>

#include "app/QuarnelApplication.h"
#include "support/WindowFixture.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    quarnel::testing::captureQtWarnings();
    QuarnelApplication application(argc, argv);
    ::testing::InitGoogleMock(&argc, argv);
    return RUN_ALL_TESTS();
}
