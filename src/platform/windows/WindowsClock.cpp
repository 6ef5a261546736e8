#include <windows.h>

#include "platform/windows/SystemReason.h"
#include "platform/windows/WindowsPlatform.h"
#include "platform/windows/WindowsTime.h"

namespace quarnel {
namespace {

std::uint64_t countOf(const FILETIME& time) {
    return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME fileTimeOf(std::uint64_t count) {
    FILETIME time{};
    time.dwLowDateTime = static_cast<DWORD>(count & 0xFFFF'FFFFu);
    time.dwHighDateTime = static_cast<DWORD>(count >> 32);
    return time;
}

}  // namespace

SYSTEMTIME shiftedSystemTime(const SYSTEMTIME& time, std::int64_t shift) {
    FILETIME count{};
    SystemTimeToFileTime(&time, &count);
    // Two's-complement addition: a negative shift moves the time back.
    const FILETIME moved = fileTimeOf(countOf(count) + static_cast<std::uint64_t>(shift));
    SYSTEMTIME result{};
    FileTimeToSystemTime(&moved, &result);
    return result;
}

TimeCount WindowsPlatform::readLocalTime() {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    FILETIME count{};
    SystemTimeToFileTime(&local, &count);
    return static_cast<TimeCount>(countOf(count));
}

// Read and set back to back; the moment between the two is not made up for.
Refusal WindowsPlatform::shiftLocalTime(std::int64_t shift) {
    SYSTEMTIME local{};
    GetLocalTime(&local);
    const SYSTEMTIME target = shiftedSystemTime(local, shift);
    if (!SetLocalTime(&target)) {
        return lastSystemReason();
    }
    return std::nullopt;
}

}  // namespace quarnel
