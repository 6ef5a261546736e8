#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "platform/Platform.h"

namespace quarnel {

// A local calendar time moved by `shift` 100-ns units through the system's
// own conversions, as the clock is set: the count wraps in 64 bits, and the
// part below one millisecond is dropped toward the earlier time.
SYSTEMTIME shiftedSystemTime(const SYSTEMTIME& time, std::int64_t shift);

// The system time (UTC) in 100-ns units since 1601, at full resolution.
std::uint64_t preciseSystemTime();

// Sets the system clock to a UTC calendar time: SetSystemTime, or a stand-in
// in tests and benchmarks. Returns false with the reason in GetLastError().
using SystemTimeSetter = std::function<bool(const SYSTEMTIME& utc)>;

// Steps the system clock by `shift` without losing the part of the current
// reading below one millisecond, which the whole-millisecond setters cannot
// take: it waits (at most 1 ms) until a full-resolution reading has just
// passed a millisecond boundary and sets that boundary plus the shift. Any
// part of the shift below one millisecond is dropped toward the earlier time.
// UTC, so a change of daylight saving time cannot make the target ambiguous.
Refusal shiftSystemTimeAtMillisecond(std::int64_t shift, const SystemTimeSetter& setSystemTime);

}  // namespace quarnel
