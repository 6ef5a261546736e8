#pragma once

#include <map>

#include "platform/SystemPlatform.h"
#include "platform/linux/ProcessHandle.h"

namespace quarnel {

// What the POSIX port keeps between calls.
struct SystemPlatform::State {
    // What the window's side lent: the loop, the time service and the
    // service manager (each may be missing).
    Helpers helpers;
    // The processes the last search found, held until they are terminated.
    std::map<ProcessId, ProcessHandle> listedProcesses;
};

}  // namespace quarnel
