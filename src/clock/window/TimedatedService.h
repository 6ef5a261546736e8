#pragma once

#include "clock/window/SystemTimeService.h"

// systemd's time service on the system bus (org.freedesktop.timedate1): it
// steps the clock by a relative amount and switches the system's own network
// time synchronization (NTP). The calls allow interactive authorization, so
// polkit shows the desktop's password dialog; none of them blocks the window.
class TimedatedService final : public quarnel::TimeService {
  public:
    void stepClock(std::int64_t microseconds, quarnel::ServiceAnswered done) override;
    void readAutomaticSync(std::function<void(std::optional<bool>)> done) override;
    void setAutomaticSync(bool on, quarnel::ServiceAnswered done) override;
};
