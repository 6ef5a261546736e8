#include <cerrno>
#include <cstring>
#include <ctime>

#include "platform/linux/LinuxPlatform.h"

namespace quarnel {
namespace {

constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
constexpr std::int64_t kNanosecondsPerUnit = 100;
constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;

}  // namespace

TimeCount LinuxPlatform::readLocalTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    const std::int64_t localSeconds =
        static_cast<std::int64_t>(now.tv_sec) + local.tm_gmtoff + kSecondsFrom1601To1970;
    return localSeconds * kUnitsPerSecond + now.tv_nsec / kNanosecondsPerUnit;
}

// A shift moves local time and the absolute instant alike, so the clock is
// moved as an absolute instant: read at full resolution, add, set at once.
// Nothing is lost below the millisecond, and a time-zone change cannot
// interfere.
Refusal LinuxPlatform::shiftLocalTime(std::int64_t shift) {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t target = static_cast<std::int64_t>(now.tv_sec) * kNanosecondsPerSecond +
                                now.tv_nsec + shift * kNanosecondsPerUnit;
    timespec set{};
    set.tv_sec = static_cast<time_t>(target / kNanosecondsPerSecond);
    set.tv_nsec = static_cast<long>(target % kNanosecondsPerSecond);
    if (set.tv_nsec < 0) {
        set.tv_nsec += kNanosecondsPerSecond;
        --set.tv_sec;
    }
    if (clock_settime(CLOCK_REALTIME, &set) != 0) {
        return std::string(std::strerror(errno));
    }
    return std::nullopt;
}

}  // namespace quarnel
