// Steps the clock once as the program does on Linux, directly and, when that
// is refused for lack of privilege, through the system's time service, and
// prints "stepped" or "refused: <reason>". The time-service tests run it as an
// unprivileged user under the clock interception library, with the system bus
// pointed at a bus of their own.
//
//   quarnel_time_service_probe <shift in 100-ns units>
#include <QCoreApplication>
#include <QTimer>
#include <cstdint>
#include <iostream>
#include <string>

#include "ClockShimClient.h"
#include "clock/window/TimedatedService.h"
#include "platform/SystemPlatform.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: quarnel_time_service_probe <shift in 100-ns units>\n";
        return 2;
    }
    if (!quarnel::clockshim::isLoaded() || quarnel::clockshim::mayChangeRealClock()) {
        std::cerr << "quarnel_time_service_probe: runs only under the clock interception "
                     "library, as a user who may not set the clock\n";
        return 2;
    }
    TimedatedService service;
    quarnel::SystemPlatform system({.timeService = &service});
    // The time service answers from the event loop, as in the program; a
    // direct step, or nobody to ask, answers at once. The step is made
    // inside the running loop, so that either answer can end it.
    const std::int64_t shift = std::stoll(argv[1]);
    QTimer::singleShot(0, [&system, shift] {
        system.shiftLocalTime(shift, [](const quarnel::Refusal& refusal) {
            std::cout << (refusal ? "refused: " + *refusal : std::string("stepped")) << std::endl;
            QCoreApplication::quit();
        });
    });
    return QCoreApplication::exec();
}
