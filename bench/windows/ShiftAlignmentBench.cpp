// How far a shift of the Windows clock lands from where it should: the clock
// should read afterwards what it would have read, plus the shift. Compares
// the program's way (wait for a millisecond boundary at full resolution, set
// the boundary plus the shift) with reading the local time in whole
// milliseconds, adding the shift and setting that.
//
// No clock is set: both ways hand their target to a stand-in setter, which
// reads the precise time at the moment of the set. The error of one set is
// the target minus (that moment plus the shift).
//
// Prints key=value lines: aligned.* and millisecond_reading.*, in ns, and
// how many of the sets landed within 20 us.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "clock/TimeCount.h"
#include "platform/windows/WindowsClock.h"

namespace {

using quarnel::kUnitsPerMillisecond;

constexpr std::int64_t kNsPerUnit = 100;
constexpr int kSets = 1000;
constexpr std::int64_t kShift = 100 * kUnitsPerMillisecond;  // one click of "+"

std::int64_t countOf(const FILETIME& time) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) |
                                     time.dwLowDateTime);
}

std::int64_t countOf(const SYSTEMTIME& time) {
    FILETIME count{};
    SystemTimeToFileTime(&time, &count);
    return countOf(count);
}

// The precise time now as local time, for the way that sets local time.
std::int64_t preciseLocalTime() {
    const auto utc = static_cast<std::int64_t>(quarnel::preciseSystemTime());
    FILETIME utcCount{static_cast<DWORD>(utc & 0xFFFF'FFFF), static_cast<DWORD>(utc >> 32)};
    FILETIME local{};
    FileTimeToLocalFileTime(&utcCount, &local);
    return countOf(local);
}

std::int64_t alignedError() {
    std::int64_t error = 0;
    quarnel::shiftSystemTimeAtMillisecond(kShift, [&](const SYSTEMTIME& utc) {
        const auto now = static_cast<std::int64_t>(quarnel::preciseSystemTime());
        error = countOf(utc) - (now + kShift);
        return true;
    });
    return error;
}

std::int64_t millisecondReadingError() {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    const SYSTEMTIME target = quarnel::shiftedSystemTime(local, kShift);
    // What SetLocalTime would be handed, at the moment it would be called.
    return countOf(target) - (preciseLocalTime() + kShift);
}

// Clicks come at any moment within a millisecond: before each set, a random
// wait of up to one millisecond, spun out on the precise clock (the aligned
// way itself ends just after a boundary, which would flatter whatever comes
// next).
void waitAtRandom(std::mt19937& random) {
    const auto until = quarnel::preciseSystemTime() + std::uniform_int_distribution<std::uint64_t>(
                                                          0, kUnitsPerMillisecond)(random);
    while (quarnel::preciseSystemTime() < until) {
    }
}

void report(const char* name, std::vector<std::int64_t> errors) {
    for (auto& error : errors) {
        error = std::abs(error) * kNsPerUnit;
    }
    std::sort(errors.begin(), errors.end());
    const auto within20us = std::count_if(errors.begin(), errors.end(),
                                          [](std::int64_t error) { return error <= 20'000; });
    std::printf(
        "%s.median_ns=%lld\n%s.p90_ns=%lld\n%s.p99_ns=%lld\n%s.max_ns=%lld\n"
        "%s.within_20us=%lld\n",
        name, static_cast<long long>(errors[errors.size() / 2]), name,
        static_cast<long long>(errors[errors.size() * 9 / 10]), name,
        static_cast<long long>(errors[errors.size() * 99 / 100]), name,
        static_cast<long long>(errors.back()), name, static_cast<long long>(within20us));
}

}  // namespace

int main() {
    std::vector<std::int64_t> aligned;
    std::vector<std::int64_t> millisecondReading;
    std::mt19937 random(20261210);
    // Alternating, so that both ways meet the same load on the machine.
    for (int i = 0; i < kSets; ++i) {
        waitAtRandom(random);
        aligned.push_back(alignedError());
        waitAtRandom(random);
        millisecondReading.push_back(millisecondReadingError());
    }
    std::printf("sets=%d\nshift_ms=%lld\n", kSets,
                static_cast<long long>(kShift / kUnitsPerMillisecond));
    report("aligned", aligned);
    report("millisecond_reading", millisecondReading);
}
