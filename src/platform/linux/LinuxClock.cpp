#include <cerrno>
#include <cstring>
#include <ctime>

#include <sys/timex.h>

#include "platform/linux/LinuxState.h"

namespace quarnel {
namespace {

constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
constexpr std::int64_t kNanosecondsPerUnit = 100;
constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;
constexpr std::int64_t kUnitsPerMicrosecond = 10;

// The time service counts in microseconds. Every shift the window makes is a
// whole number of them (steps of 0.05 s); anything finer is rounded to the
// nearest, halves away from zero.
std::int64_t roundedToMicroseconds(std::int64_t shift) {
    const std::int64_t half = shift < 0 ? -kUnitsPerMicrosecond / 2 : kUnitsPerMicrosecond / 2;
    return (shift + half) / kUnitsPerMicrosecond;
}

}  // namespace

TimeCount SystemPlatform::readLocalTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    const std::int64_t localSeconds =
        static_cast<std::int64_t>(now.tv_sec) + local.tm_gmtoff + kSecondsFrom1601To1970;
    return localSeconds * kUnitsPerSecond + now.tv_nsec / kNanosecondsPerUnit;
}

TimeCount SystemPlatform::readUniversalTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const std::int64_t seconds = static_cast<std::int64_t>(now.tv_sec) + kSecondsFrom1601To1970;
    return seconds * kUnitsPerSecond + now.tv_nsec / kNanosecondsPerUnit;
}

// A shift moves local time and the absolute instant alike, so the clock is
// stepped by the shift itself: the kernel adds it to the clock at the moment
// of the call. Reading the clock and setting an absolute time instead would
// lose the time between the reading and the set on every shift, and a RESET
// after many shifts would not come back to the original timeline.
// Without the right to step it (not root, no CAP_SYS_TIME), the system's time
// service is asked to step it by the same amount; its answer comes later.
void SystemPlatform::shiftLocalTime(std::int64_t shift, Completion done) {
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
    // On success the call returns the clock's state, which may be any of them.
    if (clock_adjtime(CLOCK_REALTIME, &step) >= 0) {
        done(std::nullopt);
        return;
    }
    const int error = errno;
    TimeService* service = m_state->helpers.timeService;
    if (error != EPERM || service == nullptr) {
        done(std::string(std::strerror(error)));
        return;
    }
    service->stepClock(roundedToMicroseconds(shift), [done, error](const ServiceAnswer& answer) {
        // With nobody to ask, the system's own refusal stands.
        passOn(answer, done, [&] { done(std::string(std::strerror(error))); });
    });
}

void SystemPlatform::readAutomaticSync(std::function<void(std::optional<bool>)> done) {
    if (TimeService* service = m_state->helpers.timeService) {
        service->readAutomaticSync(std::move(done));
    } else {
        done(std::nullopt);
    }
}

void SystemPlatform::setAutomaticSync(bool on, Completion done) {
    TimeService* service = m_state->helpers.timeService;
    if (service == nullptr) {
        Platform::setAutomaticSync(on, std::move(done));
        return;
    }
    service->setAutomaticSync(on, [done](const ServiceAnswer& answer) {
        passOn(answer, done, [&] { done("The system's time service could not be reached"); });
    });
}

}  // namespace quarnel
