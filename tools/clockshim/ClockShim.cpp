// A stand-in for the system clock, for end-to-end runs of Quarnel.
//
// Preloaded into a process (LD_PRELOAD), it gives that process a clock of its
// own: every reading of the real-time clock is the real time plus a virtual
// offset, and every way of setting the clock moves only that offset. Nothing
// here ever calls a real clock setter, so the machine's clock cannot move
// through this library. Programs that reach the kernel past it (a direct
// system call, a static binary) are caught by the second safety net of every
// end-to-end run: an unprivileged user, for whom a real set fails with EPERM.
//
// Each set appends one line to the file named by QUARNEL_CLOCKSHIM_LOG:
//   <call> <what was asked>_ns=<n> move_ns=<n> offset_ns=<n> pid=<n>
// move_ns is how far the process's clock moved, exactly; offset_ns is the
// total distance from the real clock afterwards. A refused request is logged as
//   <call> refused <detail> pid=<n>
//
// QUARNEL_CLOCKSHIM_REFUSE=1 makes every set fail with EPERM, as it fails for
// a process without the right to set the clock, and logs it as
//   <call> refused without-right pid=<n>
// so that a program's other ways of getting the clock set can be tested.
//
// QUARNEL_CLOCKSHIM_STATE names an optional file that carries the offset from
// one process to the next: it is read when a process starts and rewritten on
// every set. Processes that run at the same time do not see each other's sets.
//
// QUARNEL_CLOCKSHIM_START_OFFSET_NS=<n> starts a process's clock n ns from the
// real one (730000000: 0.73 s fast, as a PC clock that has drifted), so a test
// can give the program a wrong clock to find and correct. A state file that
// holds an offset wins over it: the clock a set left behind is the one the
// next process finds, as on a real machine. The start is not logged; the
// first set's offset_ns counts from it. A value that is not a whole number of
// nanoseconds ends the process at its start, so that a test that mistyped it
// cannot run against the real clock unnoticed.
//
// Readings that go through libc are caught: clock_gettime, gettimeofday, time
// and timespec_get (Qt, the C++ library and localtime_r's callers all use
// them). The vDSO is only reached through libc's clock_gettime, which this
// library replaces; calls inside libc itself (ntp_gettime) are not caught.

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <sys/timex.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>

namespace {

constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;
constexpr std::int64_t kNanosecondsPerMicrosecond = 1'000;
// The exit status of a process whose start offset cannot be read.
constexpr int kBadStartOffsetStatus = 125;

using ClockReader = int (*)(clockid_t, timespec*);

std::atomic<std::int64_t> offsetNs{0};
// Serialises sets, so that each log line and the state file describe one
// set completely.
std::mutex setMutex;

// The real clock_gettime (through the vDSO); only readers are ever looked up.
ClockReader realClockReader() {
    static const ClockReader reader = [] {
        void* found = dlsym(RTLD_NEXT, "clock_gettime");
        return found != nullptr ? reinterpret_cast<ClockReader>(found) : nullptr;
    }();
    return reader;
}

std::int64_t toNanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * kNanosecondsPerSecond + time.tv_nsec;
}

timespec toTimespec(std::int64_t ns) {
    std::int64_t seconds = ns / kNanosecondsPerSecond;
    std::int64_t rest = ns % kNanosecondsPerSecond;
    if (rest < 0) {
        rest += kNanosecondsPerSecond;
        --seconds;
    }
    timespec time{};
    time.tv_sec = static_cast<time_t>(seconds);
    time.tv_nsec = static_cast<long>(rest);
    return time;
}

int readRealClock(clockid_t clock, timespec* time) {
    if (const ClockReader reader = realClockReader()) {
        return reader(clock, time);
    }
    return static_cast<int>(syscall(SYS_clock_gettime, clock, time));
}

std::int64_t realNowNs() {
    timespec now{};
    readRealClock(CLOCK_REALTIME, &now);
    return toNanoseconds(now);
}

std::int64_t virtualNowNs() {
    return realNowNs() + offsetNs.load(std::memory_order_relaxed);
}

bool isRealTimeClock(clockid_t clock) {
    return clock == CLOCK_REALTIME || clock == CLOCK_REALTIME_COARSE;
}

void appendToFile(const char* path, const std::string& text) {
    const int fd = open(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    const ssize_t written = write(fd, text.data(), text.size());
    static_cast<void>(written);  // a lost log line shows up in the test that reads it
    close(fd);
}

void log(const char* call, const std::string& details) {
    const char* path = std::getenv("QUARNEL_CLOCKSHIM_LOG");
    if (path == nullptr || *path == '\0') {
        return;
    }
    appendToFile(path,
                 std::string(call) + " " + details + " pid=" + std::to_string(getpid()) + "\n");
}

const char* stateFile() {
    const char* path = std::getenv("QUARNEL_CLOCKSHIM_STATE");
    return path != nullptr && *path != '\0' ? path : nullptr;
}

// Written beside the file and renamed, so that a process starting meanwhile
// reads either the old offset or the new one.
void saveState(std::int64_t offset) {
    const char* path = stateFile();
    if (path == nullptr) {
        return;
    }
    const std::string temporary = std::string(path) + "." + std::to_string(getpid());
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    const std::string text = std::to_string(offset) + "\n";
    const bool complete = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    close(fd);
    if (!complete || rename(temporary.c_str(), path) != 0) {
        unlink(temporary.c_str());
    }
}

// The offset a set saved, when there is one.
std::optional<std::int64_t> savedOffset() {
    const char* path = stateFile();
    if (path == nullptr) {
        return std::nullopt;
    }
    std::FILE* file = std::fopen(path, "re");
    if (file == nullptr) {
        return std::nullopt;
    }
    std::int64_t offset = 0;
    const bool read = std::fscanf(file, "%" SCNd64, &offset) == 1;
    std::fclose(file);
    return read ? std::optional(offset) : std::nullopt;
}

std::int64_t startOffset() {
    const char* value = std::getenv("QUARNEL_CLOCKSHIM_START_OFFSET_NS");
    if (value == nullptr || *value == '\0') {
        return 0;
    }
    char* end = nullptr;
    errno = 0;
    const long long offset = std::strtoll(value, &end, 10);
    if (errno != 0 || *end != '\0') {
        std::fprintf(stderr,
                     "clock shim: QUARNEL_CLOCKSHIM_START_OFFSET_NS=%s is no whole number of "
                     "nanoseconds\n",
                     value);
        std::_Exit(kBadStartOffsetStatus);
    }
    return offset;
}

__attribute__((constructor)) void loadState() {
    offsetNs.store(savedOffset().value_or(startOffset()));
}

// `details` says what was asked; the move is measured against the virtual
// clock at the moment of the set.
int applyNewOffset(const char* call, const std::string& details, std::int64_t newOffset,
                   std::int64_t oldOffset) {
    offsetNs.store(newOffset);
    saveState(newOffset);
    log(call, details + " move_ns=" + std::to_string(newOffset - oldOffset) +
                  " offset_ns=" + std::to_string(newOffset));
    return 0;
}

int refuse(const char* call, const std::string& detail) {
    log(call, "refused " + detail);
    errno = EPERM;
    return -1;
}

bool refusesEverySet() {
    const char* value = std::getenv("QUARNEL_CLOCKSHIM_REFUSE");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

int moveTo(const char* call, std::int64_t targetNs) {
    if (refusesEverySet()) {
        return refuse(call, "without-right");
    }
    const std::lock_guard lock(setMutex);
    const std::int64_t oldOffset = offsetNs.load();
    const std::int64_t newOffset = targetNs - realNowNs();
    return applyNewOffset(call, "target_ns=" + std::to_string(targetNs), newOffset, oldOffset);
}

int moveBy(const char* call, std::int64_t deltaNs) {
    if (refusesEverySet()) {
        return refuse(call, "without-right");
    }
    const std::lock_guard lock(setMutex);
    const std::int64_t oldOffset = offsetNs.load();
    return applyNewOffset(call, "delta_ns=" + std::to_string(deltaNs), oldOffset + deltaNs,
                          oldOffset);
}

int invalid() {
    errno = EINVAL;
    return -1;
}

// What the kernel reports to a query of an unsynchronised clock, with the
// virtual time.
int answerQuery(timex* request) {
    const unsigned int modes = request->modes;
    std::memset(request, 0, sizeof *request);
    request->modes = modes;
    const timespec now = toTimespec(virtualNowNs());
    request->time.tv_sec = now.tv_sec;
    request->time.tv_usec = now.tv_nsec / kNanosecondsPerMicrosecond;
    request->status = STA_UNSYNC;
    request->tick = 1'000'000 / sysconf(_SC_CLK_TCK);
    return TIME_ERROR;
}

// Of all the adjustments only the step of the clock by a given amount is a way
// of setting it; slewing, frequency and status changes are refused.
int adjust(const char* call, timex* request) {
    if (request == nullptr) {
        errno = EFAULT;
        return -1;
    }
    const unsigned int modes = request->modes;
    if (modes == 0 || modes == ADJ_OFFSET_SS_READ) {
        return answerQuery(request);
    }
    if ((modes & ~static_cast<unsigned int>(ADJ_NANO)) != ADJ_SETOFFSET) {
        char detail[32];
        std::snprintf(detail, sizeof detail, "modes=0x%x", modes);
        return refuse(call, detail);
    }
    const std::int64_t fractionUnit = (modes & ADJ_NANO) != 0 ? 1 : kNanosecondsPerMicrosecond;
    const std::int64_t fraction = request->time.tv_usec;
    if (fraction < 0 || fraction * fractionUnit >= kNanosecondsPerSecond) {
        return invalid();
    }
    if (moveBy(call, static_cast<std::int64_t>(request->time.tv_sec) * kNanosecondsPerSecond +
                         fraction * fractionUnit) != 0) {
        return -1;
    }
    return answerQuery(request);
}

}  // namespace

// The offset this process's clock currently has; lets a program check that
// the library is loaded and read what it did.
extern "C" std::int64_t quarnel_clockshim_offset_ns() {
    return offsetNs.load();
}

// Readers.

extern "C" int clock_gettime(clockid_t clock, timespec* time) noexcept {
    const int result = readRealClock(clock, time);
    if (result == 0 && isRealTimeClock(clock)) {
        *time = toTimespec(toNanoseconds(*time) + offsetNs.load(std::memory_order_relaxed));
    }
    return result;
}

// The obsolete time zone argument is answered as the kernel usually has it:
// zero.
extern "C" int gettimeofday(timeval* time, void* zone) noexcept {
    const timespec now = toTimespec(virtualNowNs());
    time->tv_sec = now.tv_sec;
    time->tv_usec = now.tv_nsec / kNanosecondsPerMicrosecond;
    if (zone != nullptr) {
        std::memset(zone, 0, sizeof(struct timezone));
    }
    return 0;
}

extern "C" time_t time(time_t* result) noexcept {
    const time_t now = toTimespec(virtualNowNs()).tv_sec;
    if (result != nullptr) {
        *result = now;
    }
    return now;
}

extern "C" int timespec_get(timespec* time, int base) noexcept {
    if (base != TIME_UTC) {
        return 0;
    }
    *time = toTimespec(virtualNowNs());
    return base;
}

// Setters: they move the offset or refuse.

extern "C" int clock_settime(clockid_t clock, const timespec* time) noexcept {
    if (clock != CLOCK_REALTIME) {
        return refuse("clock_settime", "clock=" + std::to_string(clock));
    }
    if (time->tv_nsec < 0 || time->tv_nsec >= kNanosecondsPerSecond) {
        return invalid();
    }
    return moveTo("clock_settime", toNanoseconds(*time));
}

// Setting the kernel's time zone also changes how it keeps the clock, so any
// time zone argument is refused.
extern "C" int settimeofday(const timeval* time, const struct timezone* zone) noexcept {
    if (zone != nullptr) {
        return refuse("settimeofday", "timezone");
    }
    if (time == nullptr) {
        return 0;
    }
    if (time->tv_usec < 0 || time->tv_usec >= kNanosecondsPerSecond / kNanosecondsPerMicrosecond) {
        return invalid();
    }
    return moveTo("settimeofday", static_cast<std::int64_t>(time->tv_sec) * kNanosecondsPerSecond +
                                      time->tv_usec * kNanosecondsPerMicrosecond);
}

// No longer declared by glibc, but old binaries still bind to it.
extern "C" int stime(const time_t* seconds) noexcept {
    return moveTo("stime", static_cast<std::int64_t>(*seconds) * kNanosecondsPerSecond);
}

extern "C" int adjtimex(timex* request) noexcept {
    return adjust("adjtimex", request);
}

extern "C" int ntp_adjtime(timex* request) noexcept {
    return adjust("ntp_adjtime", request);
}

extern "C" int __adjtimex(timex* request) noexcept {
    return adjust("__adjtimex", request);
}

extern "C" int clock_adjtime(clockid_t clock, timex* request) noexcept {
    if (clock != CLOCK_REALTIME) {
        return refuse("clock_adjtime", "clock=" + std::to_string(clock));
    }
    return adjust("clock_adjtime", request);
}

// Slewing is an adjustment too; only the query of what is left is answered.
extern "C" int adjtime(const timeval* delta, timeval* remaining) noexcept {
    if (delta != nullptr) {
        return refuse("adjtime", "slew");
    }
    if (remaining != nullptr) {
        *remaining = timeval{};
    }
    return 0;
}
