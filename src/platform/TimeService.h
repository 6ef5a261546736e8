#pragma once

#include <cstdint>
#include <string>

namespace quarnel {

// The system's time service, asked to step the clock when the program has no
// right to step it itself; the service asks the user for the right (polkit).
// It is reached over D-Bus, which the window's side provides, so this layer
// only says when to ask it.
class TimeService {
  public:
    enum class Outcome {
        Stepped,      // the clock was moved
        Refused,      // the service said no; `reason` is its message
        Unavailable,  // no bus or no such service: nobody could be asked
    };
    struct Answer {
        Outcome outcome = Outcome::Unavailable;
        std::string reason;
    };

    virtual ~TimeService() = default;

    // Steps the clock by `microseconds` (may be negative), relative to the
    // time at which the service sets it.
    virtual Answer stepClock(std::int64_t microseconds) = 0;
};

}  // namespace quarnel
