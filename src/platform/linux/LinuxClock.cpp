#include <cerrno>
#include <cstring>
#include <ctime>

#include <sys/timex.h>

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
// stepped by the shift itself: the kernel adds it to the clock at the moment
// of the call. Reading the clock and setting an absolute time instead would
// lose the time between the reading and the set on every shift, and a RESET
// after many shifts would not come back to the original timeline.
Refusal LinuxPlatform::shiftLocalTime(std::int64_t shift) {
    const std::int64_t ns = shift * kNanosecondsPerUnit;
    std::int64_t seconds = ns / kNanosecondsPerSecond;
    std::int64_t fraction = ns % kNanosecondsPerSecond;
    if (fraction < 0) {  // the kernel wants the fraction in [0, 1 s)
        fraction += kNanosecondsPerSecond;
        --seconds;
    }
    timex step{};
    step.modes = ADJ_SETOFFSET | ADJ_NANO;
    step.time.tv_sec = static_cast<time_t>(seconds);
    step.time.tv_usec = static_cast<suseconds_t>(fraction);  // nanoseconds under ADJ_NANO
    if (clock_adjtime(CLOCK_REALTIME, &step) < 0) {
        return std::string(std::strerror(errno));
    }
    return std::nullopt;
}

}  // namespace quarnel
