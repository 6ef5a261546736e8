#include "clock/window/SystemTimeService.h"

std::unique_ptr<quarnel::TimeService> makeSystemTimeService() {
    return nullptr;
}
