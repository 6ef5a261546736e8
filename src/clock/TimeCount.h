#pragma once

#include <cmath>
#include <cstdint>

namespace quarnel {

// A point of local time as a count of 100-ns units since 1 January 1601 00:00,
// the scale of the Windows FILETIME. Shifts are counted in the same units, so
// all clock arithmetic is exact integer arithmetic.
using TimeCount = std::int64_t;

inline constexpr TimeCount kUnitsPerMillisecond = 10'000;
inline constexpr TimeCount kUnitsPerSecond = 10'000'000;

// What + and - add to the shift, and what one notch of the mouse wheel adds.
inline constexpr std::int64_t kShiftStep = kUnitsPerSecond / 10;
inline constexpr std::int64_t kWheelStep = kShiftStep / 2;

// A shift a clock reference suggests, `seconds` rounded to the nearest whole
// `step` (halves away from zero, so a suggestion and its negation are
// mirror images). `step` divides a second, so the scale is exact.
inline std::int64_t roundedShift(double seconds, std::int64_t step) {
    return std::llround(seconds * static_cast<double>(kUnitsPerSecond / step)) * step;
}

// The same for a count of 100-ns units, exactly.
constexpr std::int64_t roundedShift(std::int64_t units, std::int64_t step) {
    const std::int64_t half = step / 2;
    return (units >= 0 ? (units + half) / step : (units - half) / step) * step;
}

// The largest shift, and the largest running total of shifts, either way: 100
// days. Far beyond any use, and small enough that no sum of a clock reading,
// a shift and a total can overflow.
inline constexpr int kLargestShiftDays = 100;
inline constexpr std::int64_t kLargestShift = kLargestShiftDays * 86'400 * kUnitsPerSecond;

constexpr bool withinShiftBounds(std::int64_t shift) {
    return shift >= -kLargestShift && shift <= kLargestShift;
}

// Calendar fields in the order of the Windows SYSTEMTIME record.
struct CalendarTime {
    std::uint16_t year = 1601;
    std::uint16_t month = 1;      // 1-12
    std::uint16_t dayOfWeek = 1;  // 0 = Sunday
    std::uint16_t day = 1;        // 1-31
    std::uint16_t hour = 0;
    std::uint16_t minute = 0;
    std::uint16_t second = 0;
    std::uint16_t millisecond = 0;

    bool operator==(const CalendarTime&) const = default;
};

// Drops the part below one millisecond, toward the earlier time. A count
// before the year 1 (which no clock reads) gives 1 January of the year 1, so
// the year never wraps around.
CalendarTime toCalendarTime(TimeCount count);

// The fields must describe a real date; the day of week is not read.
TimeCount toTimeCount(const CalendarTime& time);

// The current time plus a shift, cut down to a whole millisecond toward the
// earlier time: what the Timeshift tab shows as the new time. A sum beyond
// the range of the count stops at its end.
CalendarTime shiftedCalendarTime(TimeCount current, std::int64_t shift);

}  // namespace quarnel
