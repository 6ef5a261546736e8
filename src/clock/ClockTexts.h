#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "clock/TimeCount.h"

namespace quarnel {

// "DD.MM.YYYY hh.mm.ss,mmm": fixed separators, whatever the user's locale.
std::string formatDateText(const CalendarTime& time);

// A shift in 100-ns units as seconds with one decimal: halves rounded away
// from zero, a sign only when the rounded value is not zero, and the caller's
// decimal separator (the user's regional setting).
std::string formatShiftText(std::int64_t shift, std::string_view decimalSeparator);

}  // namespace quarnel
