#pragma once

#include <cstdint>

#include "clock/TimeCount.h"

namespace quarnel {

// What one tick read and booked; the Timeshift tab's displays show it.
struct ClockReading {
    TimeCount current = 0;
    std::int64_t alignShift = 0;
    std::int64_t runningShift = 0;
};

}  // namespace quarnel
