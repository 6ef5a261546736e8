#pragma once

#include "platform/SystemPlatform.h"

namespace quarnel {

// What the Win32 port keeps between calls: only the loop that waits for the
// service command. Windows has no time service or service manager to ask.
struct SystemPlatform::State {
    EventLoop* loop = nullptr;
};

}  // namespace quarnel
