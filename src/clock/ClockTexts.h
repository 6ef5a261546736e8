#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "clock/TimeCount.h"

namespace quarnel {

// "DD.MM.YYYY hh.mm.ss,mmm": fixed separators, whatever the user's locale.
std::string formatDateText(const CalendarTime& time);

// A shift in 100-ns units as seconds with as many decimals as it has, at
// least one and at most three ("0,0", "0,05", "-0,312"), so a wheel step of
// 0.05 s is shown as what it is. Finer parts are rounded to the millisecond,
// halves away from zero; a sign only when the rounded value is not zero; the
// caller's decimal separator (the user's regional setting).
std::string formatShiftText(std::int64_t shift, std::string_view decimalSeparator);

// Whole milliseconds (as 100-ns units) as seconds with three decimals, as a
// reference's line shows an offset ("+0,312") or its uncertainty ("0,004"):
// with `withSign`, the sign is always written, "+" for zero.
std::string formatMillisecondsText(std::int64_t units, bool withSign,
                                   std::string_view decimalSeparator);

}  // namespace quarnel
