#pragma once

#include <string>
#include <string_view>

#include "timeserver/TimeServerPoll.h"

namespace quarnel {

// The Timeshift tab's line about the time server, for example
// "Time server: +0,312 s ±0,004 (pool.ntp.org, stratum 2)": how far the
// local clock is ahead of the server, to the millisecond, and how far that
// may be off. `server` is the server as the user typed it; the decimal
// separator is the user's regional setting.
std::string formatTimeServerLine(const TimeServerStatus& status, std::string_view server,
                                 std::string_view decimalSeparator);

}  // namespace quarnel
