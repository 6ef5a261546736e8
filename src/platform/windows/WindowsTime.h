#pragma once

#include <windows.h>

#include <cstdint>

namespace quarnel {

// A local calendar time moved by `shift` 100-ns units through the system's
// own conversions, as the clock is set: the count wraps in 64 bits, and the
// part below one millisecond is dropped toward the earlier time.
SYSTEMTIME shiftedSystemTime(const SYSTEMTIME& time, std::int64_t shift);

}  // namespace quarnel
