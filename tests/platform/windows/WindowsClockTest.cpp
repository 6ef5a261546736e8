#include <gtest/gtest.h>
#include <windows.h>

#include <ctime>

#include "platform/SystemPlatform.h"
#include "platform/windows/SystemReason.h"
#include "platform/windows/WindowsClock.h"

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
    SystemPlatform system;
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

std::uint64_t countOf(const SYSTEMTIME& time) {
    FILETIME count{};
    SystemTimeToFileTime(&time, &count);
    return (static_cast<std::uint64_t>(count.dwHighDateTime) << 32) | count.dwLowDateTime;
}

// The set goes to a stand-in setter: the target it is handed must be a
// millisecond boundary the clock passed just before the set, plus the shift.
TEST(WindowsClockTest, SetsTheMillisecondBoundaryJustPassedPlusTheShift) {
    constexpr std::int64_t kMillisecond = kUnitsPerMillisecond;
    for (const std::int64_t shift :
         {100 * kMillisecond, -100 * kMillisecond, std::int64_t{0}, -3600 * kUnitsPerSecond}) {
        SCOPED_TRACE("shift " + std::to_string(shift));
        int calls = 0;
        std::uint64_t target = 0;
        std::uint64_t readAtSet = 0;
        const std::uint64_t before = preciseSystemTime();
        const Refusal refusal = shiftSystemTimeAtMillisecond(shift, [&](const SYSTEMTIME& utc) {
            readAtSet = preciseSystemTime();
            target = countOf(utc);
            ++calls;
            return true;
        });
        EXPECT_EQ(refusal, std::nullopt);
        ASSERT_EQ(calls, 1);
        const std::uint64_t boundary = target - static_cast<std::uint64_t>(shift);
        EXPECT_EQ(boundary % kUnitsPerMillisecond, 0u);
        EXPECT_GT(boundary, before) << "the boundary was passed after the call began";
        EXPECT_LE(boundary, readAtSet) << "the boundary is not in the future";
    }
}

TEST(WindowsClockTest, ARefusedSetReportsTheSystemsReason) {
    const Refusal refusal = shiftSystemTimeAtMillisecond(kUnitsPerSecond, [](const SYSTEMTIME&) {
        SetLastError(ERROR_PRIVILEGE_NOT_HELD);
        return false;
    });
    EXPECT_EQ(refusal, systemReason(ERROR_PRIVILEGE_NOT_HELD));
}

}  // namespace
}  // namespace quarnel
