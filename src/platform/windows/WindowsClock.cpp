#include <windows.h>

#include "clock/TimeCount.h"
#include "platform/SystemPlatform.h"
#include "platform/windows/SystemReason.h"
#include "platform/windows/WindowsClock.h"

namespace quarnel {
namespace {

constexpr auto kMillisecond = static_cast<std::uint64_t>(kUnitsPerMillisecond);

std::uint64_t countOf(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME fileTimeOf(std::uint64_t count) {
    FILETIME time{};
    time.dwLowDateTime = static_cast<DWORD>(count & 0xFFFF'FFFFu);
    time.dwHighDateTime = static_cast<DWORD>(count >> 32);
    return time;
}

SYSTEMTIME systemTimeOf(std::uint64_t count) {
    const FILETIME time = fileTimeOf(count);
    SYSTEMTIME result{};
    FileTimeToSystemTime(&time, &result);
    return result;
}

// Spins rather than sleeps: a sleep lasts a scheduler tick, far longer than
// the millisecond waited for.
std::uint64_t nextMillisecondBoundary() {
    const std::uint64_t start = preciseSystemTime() / kMillisecond;
    std::uint64_t now = preciseSystemTime();
    while (now / kMillisecond == start) {
        now = preciseSystemTime();
    }
    return now - now % kMillisecond;
}

}  // namespace

SYSTEMTIME shiftedSystemTime(const SYSTEMTIME& time, std::int64_t shift) {
    FILETIME count{};
    SystemTimeToFileTime(&time, &count);
    // Two's-complement addition: a negative shift moves the time back.
    return systemTimeOf(countOf(count) + static_cast<std::uint64_t>(shift));
}

std::uint64_t preciseSystemTime() {
    FILETIME now{};
    GetSystemTimePreciseAsFileTime(&now);
    return countOf(now);
}

Refusal shiftSystemTimeAtMillisecond(std::int64_t shift, const SystemTimeSetter& setSystemTime) {
    const SYSTEMTIME target = shiftedSystemTime(systemTimeOf(nextMillisecondBoundary()), shift);
    if (!setSystemTime(target)) {
        return lastSystemReason();
    }
    return std::nullopt;
}

TimeCount SystemPlatform::readLocalTime() {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    FILETIME count{};
    SystemTimeToFileTime(&local, &count);
    return static_cast<TimeCount>(countOf(count));
}

TimeCount SystemPlatform::readUniversalTime() {
    return static_cast<TimeCount>(preciseSystemTime());
}

// Windows answers at once.
void SystemPlatform::shiftLocalTime(std::int64_t shift, Completion done) {
    done(shiftSystemTimeAtMillisecond(
        shift, [](const SYSTEMTIME& utc) { return SetSystemTime(&utc) != FALSE; }));
}

// Windows' own synchronization is the service W32Time, which the user names.
void SystemPlatform::readAutomaticSync(std::function<void(std::optional<bool>)> done) {
    Platform::readAutomaticSync(std::move(done));
}

void SystemPlatform::setAutomaticSync(bool on, Completion done) {
    Platform::setAutomaticSync(on, std::move(done));
}

}  // namespace quarnel
