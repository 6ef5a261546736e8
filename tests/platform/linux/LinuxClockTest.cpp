#include <gtest/gtest.h>

#include <chrono>
#include <ctime>

#include "platform/SystemPlatform.h"

namespace quarnel {
namespace {

// The precise clock's second, to bracket a reading: std::time() reads a
// coarse clock that can lag it by a tick, across a second's boundary.
std::time_t preciseSeconds() {
    return std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
}

// Only reading is tested here: nothing in the tests ever sets the real clock.
TEST(LinuxClockTest, ReadsTheLocalTimeOfTheSystemClock) {
    SystemPlatform system;
    const std::time_t before = preciseSeconds();
    const CalendarTime read = toCalendarTime(system.readLocalTime());
    const std::time_t after = preciseSeconds();

    std::tm local{};
    bool matched = false;
    for (std::time_t t = before; t <= after && !matched; ++t) {
        localtime_r(&t, &local);
        matched = read.year == local.tm_year + 1900 && read.month == local.tm_mon + 1 &&
                  read.day == local.tm_mday && read.hour == local.tm_hour &&
                  read.minute == local.tm_min && read.second == local.tm_sec;
    }
    EXPECT_TRUE(matched) << "read " << read.hour << ":" << read.minute << ":" << read.second;
    EXPECT_EQ(read.dayOfWeek, local.tm_wday);
}

TEST(LinuxClockTest, ReadsTheUniversalTimeOfTheSystemClock) {
    constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
    SystemPlatform system;
    const std::time_t before = preciseSeconds();
    const std::int64_t read = system.readUniversalTime() / kUnitsPerSecond - kSecondsFrom1601To1970;
    const std::time_t after = preciseSeconds();
    EXPECT_GE(read, before);
    EXPECT_LE(read, after);
}

TEST(LinuxClockTest, ReadsBelowTheMillisecond) {
    SystemPlatform system;
    bool sawSubMillisecond = false;
    for (int i = 0; i < 100 && !sawSubMillisecond; ++i) {
        sawSubMillisecond = system.readLocalTime() % kUnitsPerMillisecond != 0;
    }
    EXPECT_TRUE(sawSubMillisecond);
}

}  // namespace
}  // namespace quarnel
