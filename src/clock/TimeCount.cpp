#include "clock/TimeCount.h"

#include <limits>

namespace quarnel {
namespace {

constexpr std::int64_t kSecondsPerDay = 86'400;
constexpr std::int64_t kUnitsPerDay = kSecondsPerDay * kUnitsPerSecond;

// Days from 1601-01-01 to 1970-01-01; the civil-date algorithms below count
// from 1970 (proleptic Gregorian calendar, H. Hinnant's formulation).
constexpr std::int64_t kDays1601To1970 = 134'774;
// Days from 0001-01-01 to 1601-01-01: the earliest count that is shown.
constexpr std::int64_t kDays1To1601 = 584'388;
constexpr TimeCount kEarliestShown = -kDays1To1601 * kUnitsPerDay;

constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    const std::int64_t q = a / b;
    return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

constexpr std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = floorDiv(y, 400);
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146'097 + static_cast<std::int64_t>(doe) - 719'468;
}

struct Civil {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

constexpr Civil civilFromDays(std::int64_t z) {
    z += 719'468;
    const std::int64_t era = floorDiv(z, 146'097);
    const auto doe = static_cast<unsigned>(z - era * 146'097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36'524 - doe / 146'096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

}  // namespace

CalendarTime toCalendarTime(TimeCount count) {
    count = count < kEarliestShown ? kEarliestShown : count;
    const std::int64_t dayNumber = floorDiv(count, kUnitsPerDay);
    const std::int64_t unitsOfDay = count - dayNumber * kUnitsPerDay;
    const std::int64_t msOfDay = unitsOfDay / kUnitsPerMillisecond;
    const std::int64_t days1970 = dayNumber - kDays1601To1970;
    const Civil civil = civilFromDays(days1970);

    CalendarTime t;
    t.year = static_cast<std::uint16_t>(civil.year);
    t.month = static_cast<std::uint16_t>(civil.month);
    t.day = static_cast<std::uint16_t>(civil.day);
    // 1970-01-01 was a Thursday (4).
    t.dayOfWeek = static_cast<std::uint16_t>(days1970 + 4 - floorDiv(days1970 + 4, 7) * 7);
    t.hour = static_cast<std::uint16_t>(msOfDay / 3'600'000);
    t.minute = static_cast<std::uint16_t>(msOfDay / 60'000 % 60);
    t.second = static_cast<std::uint16_t>(msOfDay / 1000 % 60);
    t.millisecond = static_cast<std::uint16_t>(msOfDay % 1000);
    return t;
}

TimeCount toTimeCount(const CalendarTime& t) {
    const std::int64_t days = daysFromCivil(t.year, t.month, t.day) + kDays1601To1970;
    const std::int64_t ms =
        ((static_cast<std::int64_t>(t.hour) * 60 + t.minute) * 60 + t.second) * 1000 +
        t.millisecond;
    return days * kUnitsPerDay + ms * kUnitsPerMillisecond;
}

CalendarTime shiftedCalendarTime(TimeCount current, std::int64_t shift) {
    constexpr TimeCount kLast = std::numeric_limits<TimeCount>::max();
    constexpr TimeCount kFirst = std::numeric_limits<TimeCount>::min();
    if (shift > 0 && current > kLast - shift) {
        return toCalendarTime(kLast);
    }
    if (shift < 0 && current < kFirst - shift) {
        return toCalendarTime(kFirst);
    }
    return toCalendarTime(current + shift);
}

}  // namespace quarnel
