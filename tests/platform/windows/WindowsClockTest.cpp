#include <gtest/gtest.h>
#include <windows.h>

#include <ctime>

#include "platform/windows/WindowsPlatform.h"
#include "platform/windows/WindowsTime.h"

// Only reading is tested against the system: no test here sets the clock, as
// under Wine that could reach the real clock of the machine running the tests.
namespace quarnel {
namespace {

constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;

// The local time read, turned back into UTC seconds since 1970 with the
// system's own time-zone rules.
std::int64_t utcSecondsOf(TimeCount local) {
    const auto count = static_cast<std::uint64_t>(local);
    FILETIME localCount{static_cast<DWORD>(count & 0xFFFF'FFFFu), static_cast<DWORD>(count >> 32)};
    SYSTEMTIME localTime{};
    FileTimeToSystemTime(&localCount, &localTime);
    SYSTEMTIME utcTime{};
    TzSpecificLocalTimeToSystemTime(nullptr, &localTime, &utcTime);
    FILETIME utcCount{};
    SystemTimeToFileTime(&utcTime, &utcCount);
    const std::int64_t units = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(utcCount.dwHighDateTime) << 32) | utcCount.dwLowDateTime);
    return units / kUnitsPerSecond - kSecondsFrom1601To1970;
}

TEST(WindowsClockTest, ReadsTheLocalTimeOfTheHostClock) {
    WindowsPlatform system;
    const std::int64_t before = std::time(nullptr);
    const TimeCount read = system.readLocalTime();
    const std::int64_t after = std::time(nullptr);

    const std::int64_t utc = utcSecondsOf(read);
    EXPECT_GE(utc, before - 1);
    EXPECT_LE(utc, after + 1);
    EXPECT_EQ(read % kUnitsPerMillisecond, 0) << "GetLocalTime counts whole milliseconds";
}

struct ShiftCase {
    SYSTEMTIME from;
    std::int64_t shift;
    SYSTEMTIME to;
};

bool sameTime(const SYSTEMTIME& a, const SYSTEMTIME& b) {
    return a.wYear == b.wYear && a.wMonth == b.wMonth && a.wDayOfWeek == b.wDayOfWeek &&
           a.wDay == b.wDay && a.wHour == b.wHour && a.wMinute == b.wMinute &&
           a.wSecond == b.wSecond && a.wMilliseconds == b.wMilliseconds;
}

// The conversions the set makes, through the system's own calls, without the
// final SetLocalTime.
TEST(WindowsClockTest, ShiftsACalendarTimeThroughTheSystemsConversions) {
    const ShiftCase cases[] = {
        // Over the turn of the year, forward and back.
        {{2021, 12, 5, 31, 23, 59, 59, 950}, 1'000'000, {2022, 1, 6, 1, 0, 0, 0, 50}},
        {{2022, 1, 6, 1, 0, 0, 0, 50}, -1'000'000, {2021, 12, 5, 31, 23, 59, 59, 950}},
        // The part below one millisecond is dropped toward the earlier time.
        {{2021, 3, 5, 5, 12, 0, 10, 0}, 22'999'999, {2021, 3, 5, 5, 12, 0, 12, 299}},
        {{2021, 3, 5, 5, 12, 0, 10, 0}, -1, {2021, 3, 5, 5, 12, 0, 9, 999}},
        // Through a leap day.
        {{2024, 2, 3, 28, 23, 0, 0, 0}, 2 * 3600 * kUnitsPerSecond, {2024, 2, 4, 29, 1, 0, 0, 0}},
        {{2021, 3, 5, 5, 12, 0, 10, 0}, 0, {2021, 3, 5, 5, 12, 0, 10, 0}},
    };
    for (const ShiftCase& c : cases) {
        SCOPED_TRACE("shift " + std::to_string(c.shift));
        const SYSTEMTIME moved = shiftedSystemTime(c.from, c.shift);
        EXPECT_TRUE(sameTime(moved, c.to))
            << moved.wYear << "-" << moved.wMonth << "-" << moved.wDay << " " << moved.wHour << ":"
            << moved.wMinute << ":" << moved.wSecond << "." << moved.wMilliseconds << " day "
            << moved.wDayOfWeek;
    }
}

}  // namespace
}  // namespace quarnel
