#include <exception>
#include <memory>

#include "app/QuarnelApplication.h"
#include "app/SingleInstance.h"
#include "app/Tabbedtemplate.h"
#include "app/TimerEventLoop.h"
#include "clock/window/SystemTimeService.h"
#include "keepers/window/SystemServiceManager.h"
#include "platform/SystemPlatform.h"

// Arguments are not used and the exit code is always 0. A failure while the
// window is built is shown in the error box and ends the program.
int main(int argc, char** argv) {
    QuarnelApplication application(argc, argv);
    // Without the right to set the clock or to stop a service, the desktop
    // asks the user for it through the system's services, where it has them.
    TimerEventLoop loop;
    const std::unique_ptr<quarnel::TimeService> timeService = makeSystemTimeService();
    const std::unique_ptr<quarnel::ServiceManager> serviceManager = makeSystemServiceManager();
    quarnel::SystemPlatform system({&loop, timeService.get(), serviceManager.get()});
    quarnel::setPlatform(system);

    // A second start with the same settings brings the first copy's window
    // to the front and ends here.
    SingleInstance instance(system);
    if (instance.claim() != SingleInstance::Claim::Run) {
        return 0;
    }

    std::unique_ptr<TTabbedForm> window;
    try {
        window = std::make_unique<TTabbedForm>();
    } catch (...) {
        showFatalErrorBox(std::current_exception());
        return 0;
    }
    QObject::connect(&instance, &SingleInstance::raiseRequested, window.get(),
                     &TTabbedForm::BringToFront);
    window->show();
    QuarnelApplication::exec();
    return 0;
}
