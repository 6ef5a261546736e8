#include <exception>
#include <memory>

#include "app/QuarnelApplication.h"
#include "app/Tabbedtemplate.h"
#include "platform/Platform.h"

#ifndef Q_OS_WIN
#include "clock/TimedatedService.h"
#include "platform/linux/LinuxPlatform.h"
#endif

// Arguments are not used and the exit code is always 0. A failure while the
// window is built is shown in the error box and ends the program.
int main(int argc, char** argv) {
    QuarnelApplication application(argc, argv);
#ifdef Q_OS_WIN
    const std::unique_ptr<quarnel::Platform> system = quarnel::makeSystemPlatform();
#else
    // Without the right to set the clock, the desktop is asked for it through
    // the system's time service.
    TimedatedService timeService;
    const auto system = std::make_unique<quarnel::LinuxPlatform>(&timeService);
#endif
    quarnel::setPlatform(*system);

    std::unique_ptr<TTabbedForm> window;
    try {
        window = std::make_unique<TTabbedForm>();
    } catch (...) {
        showErrorBoxFor(std::current_exception());
        return 0;
    }
    window->show();
    QuarnelApplication::exec();
    return 0;
}
