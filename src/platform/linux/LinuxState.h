#pragma once

#include <map>

#include "platform/SystemPlatform.h"
#include "platform/TimeService.h"
#include "platform/linux/ProcessHandle.h"

namespace quarnel {

// What the POSIX port keeps between calls.
struct SystemPlatform::State {
    // Asked to step the clock when the kernel refuses for lack of privilege;
    // none when the system has no time service.
    TimeService* timeService = nullptr;
    // The processes the last search found, held until they are terminated.
    std::map<ProcessId, ProcessHandle> listedProcesses;
};

}  // namespace quarnel
