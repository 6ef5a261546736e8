#pragma once

#include "clock/SystemTimeService.h"

// systemd's time service on the system bus (org.freedesktop.timedate1), asked
// to step the clock by a relative amount. The call allows interactive
// authorization, so polkit shows the desktop's password dialog; the window
// waits for the answer.
class TimedatedService final : public quarnel::TimeService {
  public:
    Answer stepClock(std::int64_t microseconds) override;
};
