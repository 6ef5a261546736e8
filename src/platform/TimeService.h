#pragma once

#include <cstdint>
#include <optional>

#include "platform/ServiceAnswer.h"

namespace quarnel {

// The system's time service. It is asked to step the clock when the program
// has no right to step it itself, and it holds the system's own network time
// synchronization while Quarnel is active; it asks the user for the right
// (polkit). It is reached over D-Bus, which the window's side provides, so
// this layer only says when to ask it. Every answer arrives later, from the
// event loop, or at once when there is nobody to ask.
class TimeService {
  public:
    virtual ~TimeService() = default;

    // Steps the clock by `microseconds` (may be negative), relative to the
    // time at which the service sets it.
    virtual void stepClock(std::int64_t microseconds, ServiceAnswered done) = 0;
    // Whether the system synchronizes the clock from the network by itself;
    // nothing when it cannot tell.
    virtual void readAutomaticSync(std::function<void(std::optional<bool>)> done) = 0;
    virtual void setAutomaticSync(bool on, ServiceAnswered done) = 0;
};

}  // namespace quarnel
