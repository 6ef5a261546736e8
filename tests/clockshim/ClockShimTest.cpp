// The clock interception library, tested from inside a process that has it
// preloaded (suite UnderShim), and the safety net beneath it: the same calls
// without the library, as an unprivileged user, are refused by the system
// (suite WithoutShim). run_clockshim_tests.sh runs each suite in its setting;
// both refuse to run where a real set could succeed.

#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <sys/time.h>
#include <sys/timex.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "ClockShimClient.h"
#include "NearInteger.h"

namespace {

namespace shim = quarnel::clockshim;
using quarnel::testing::nearInteger;

constexpr std::int64_t kSecond = 1'000'000'000;
constexpr std::int64_t kMillisecond = 1'000'000;
// Room for the time between two readings on a busy machine.
constexpr std::int64_t kReadingGap = 20 * kMillisecond;

std::int64_t toNs(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * kSecond + time.tv_nsec;
}

// A direct system call: the real clock, past the library.
std::int64_t kernelClockNs(clockid_t clock) {
    timespec now{};
    syscall(SYS_clock_gettime, clock, &now);
    return toNs(now);
}

std::int64_t libcClockNs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return toNs(now);
}

std::int64_t currentOffset() {
    return shim::offsetNs().value_or(0);
}

// The last line of the library's log: the call name under "call", then its
// key=value fields, or the word "refused" under "refused".
std::map<std::string, std::string> lastLogLine() {
    const char* path = std::getenv("QUARNEL_CLOCKSHIM_LOG");
    std::ifstream file(path != nullptr ? path : "");
    std::string line;
    for (std::string next; std::getline(file, next);) {
        line = next;
    }
    std::map<std::string, std::string> fields;
    std::istringstream words(line);
    words >> fields["call"];
    for (std::string word; words >> word;) {
        const auto equals = word.find('=');
        if (equals == std::string::npos) {
            fields[word] = word;
        } else {
            fields[word.substr(0, equals)] = word.substr(equals + 1);
        }
    }
    return fields;
}

std::int64_t field(const std::map<std::string, std::string>& line, const std::string& key) {
    const auto found = line.find(key);
    return found == line.end() ? INT64_MIN : std::stoll(found->second);
}

timeval toTimeval(std::int64_t ns) {
    timeval time{};
    time.tv_sec = ns / kSecond;
    time.tv_usec = ns % kSecond / 1000;
    if (time.tv_usec < 0) {
        time.tv_usec += 1'000'000;
        --time.tv_sec;
    }
    return time;
}

int clockSetTimeBy(std::int64_t shift) {
    const std::int64_t target = libcClockNs(CLOCK_REALTIME) + shift;
    const timespec time{static_cast<time_t>(target / kSecond), static_cast<long>(target % kSecond)};
    return clock_settime(CLOCK_REALTIME, &time);
}

int setTimeOfDayBy(std::int64_t shift) {
    timeval now{};
    gettimeofday(&now, nullptr);
    const timeval target =
        toTimeval(static_cast<std::int64_t>(now.tv_sec) * kSecond + now.tv_usec * 1000 + shift);
    return settimeofday(&target, nullptr);
}

timex stepRequest(std::int64_t shift, bool nanoseconds) {
    timex request{};
    request.modes = ADJ_SETOFFSET | (nanoseconds ? ADJ_NANO : 0);
    request.time = toTimeval(shift);
    if (nanoseconds) {
        request.time.tv_usec = static_cast<decltype(request.time.tv_usec)>(
            shift - static_cast<std::int64_t>(request.time.tv_sec) * kSecond);
    }
    return request;
}

int adjtimexBy(std::int64_t shift) {
    timex request = stepRequest(shift, false);
    return adjtimex(&request) < 0 ? -1 : 0;
}

int adjtimexNanoBy(std::int64_t shift) {
    timex request = stepRequest(shift, true);
    return adjtimex(&request) < 0 ? -1 : 0;
}

int ntpAdjtimeBy(std::int64_t shift) {
    timex request = stepRequest(shift, false);
    return ntp_adjtime(&request) < 0 ? -1 : 0;
}

int clockAdjtimeBy(std::int64_t shift) {
    timex request = stepRequest(shift, false);
    return clock_adjtime(CLOCK_REALTIME, &request) < 0 ? -1 : 0;
}

// stime sets whole seconds; glibc keeps it only for old binaries, so it is
// looked up by name.
int stimeBy(std::int64_t shift) {
    using Stime = int (*)(const time_t*);
    const auto stime = reinterpret_cast<Stime>(dlsym(RTLD_DEFAULT, "stime"));
    if (stime == nullptr) {
        return -2;
    }
    const time_t target = time(nullptr) + static_cast<time_t>(shift / kSecond);
    return stime(&target);
}

// --- with the library ---

class UnderShim : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(shim::isLoaded()) << "run with the clock interception library preloaded";
        ASSERT_FALSE(shim::mayChangeRealClock()) << "run as an unprivileged user";
        ASSERT_NE(std::getenv("QUARNEL_CLOCKSHIM_LOG"), nullptr);
    }
};

struct SetterCase {
    const char* name;
    const char* loggedCall;
    int (*setBy)(std::int64_t shift);
    std::int64_t shift;
    std::int64_t tolerance;  // what the setter's resolution and the caller's reading cost
};

class UnderShimSetter : public UnderShim, public ::testing::WithParamInterface<SetterCase> {};

TEST_P(UnderShimSetter, MovesOnlyTheVirtualClockAndLogsTheMove) {
    const SetterCase& setter = GetParam();
    const std::int64_t before = currentOffset();
    const std::int64_t realBefore = kernelClockNs(CLOCK_REALTIME) - kernelClockNs(CLOCK_MONOTONIC);

    ASSERT_EQ(setter.setBy(setter.shift), 0) << std::strerror(errno);

    const auto line = lastLogLine();
    EXPECT_EQ(line.at("call"), setter.loggedCall);
    const std::int64_t moved = field(line, "move_ns");
    EXPECT_TRUE(nearInteger(moved, setter.shift, setter.tolerance));
    EXPECT_EQ(field(line, "offset_ns"), currentOffset());
    EXPECT_EQ(currentOffset() - before, moved);
    EXPECT_EQ(field(line, "pid"), getpid());

    const std::int64_t seen = libcClockNs(CLOCK_REALTIME) - kernelClockNs(CLOCK_REALTIME);
    EXPECT_TRUE(nearInteger(seen, currentOffset(), kReadingGap));
    const std::int64_t realAfter = kernelClockNs(CLOCK_REALTIME) - kernelClockNs(CLOCK_MONOTONIC);
    EXPECT_TRUE(nearInteger(realAfter, realBefore, kReadingGap)) << "the real clock moved";
}

const SetterCase kEveryWayToSetTheClock[] = {
    SetterCase{"clock_settime", "clock_settime", clockSetTimeBy, 300 * kMillisecond, kReadingGap},
    SetterCase{"clock_settime_back", "clock_settime", clockSetTimeBy, -300 * kMillisecond,
               kReadingGap},
    SetterCase{"settimeofday", "settimeofday", setTimeOfDayBy, 300 * kMillisecond, kReadingGap},
    SetterCase{"adjtimex_step", "adjtimex", adjtimexBy, 300 * kMillisecond, 0},
    SetterCase{"adjtimex_step_back_in_ns", "adjtimex", adjtimexNanoBy, -300 * kMillisecond, 0},
    SetterCase{"adjtimex_odd_ns", "adjtimex", adjtimexNanoBy, 123'456'789, 0},
    SetterCase{"ntp_adjtime_step", "ntp_adjtime", ntpAdjtimeBy, 1500 * kMillisecond, 0},
    SetterCase{"clock_adjtime_step", "clock_adjtime", clockAdjtimeBy, -100 * kMillisecond, 0},
    // A whole second is set: the part below the second read before is lost.
    SetterCase{"stime", "stime", stimeBy, 2 * kSecond, kSecond}};

INSTANTIATE_TEST_SUITE_P(EveryWayToSetTheClock, UnderShimSetter,
                         ::testing::ValuesIn(kEveryWayToSetTheClock),
                         [](const auto& instance) { return std::string(instance.param.name); });

// Told to refuse (QUARNEL_CLOCKSHIM_REFUSE=1), the library answers every set
// as the kernel answers a user without the right to set the clock.
class UnderRefusingShimSetter : public UnderShim,
                                public ::testing::WithParamInterface<SetterCase> {};

TEST_P(UnderRefusingShimSetter, FailsWithoutRightAndDoesNotMove) {
    const SetterCase& setter = GetParam();
    const std::int64_t before = currentOffset();
    errno = 0;
    EXPECT_EQ(setter.setBy(setter.shift), -1);
    EXPECT_EQ(errno, EPERM);
    const auto line = lastLogLine();
    EXPECT_EQ(line.at("call"), setter.loggedCall);
    EXPECT_TRUE(line.contains("refused"));
    EXPECT_TRUE(line.contains("without-right"));
    EXPECT_EQ(currentOffset(), before);
}

INSTANTIATE_TEST_SUITE_P(EveryWayToSetTheClock, UnderRefusingShimSetter,
                         ::testing::ValuesIn(kEveryWayToSetTheClock),
                         [](const auto& instance) { return std::string(instance.param.name); });

struct ReaderCase {
    const char* name;
    std::int64_t (*read)();
    clockid_t realClock;
    std::int64_t resolution;
};

class UnderShimReader : public UnderShim, public ::testing::WithParamInterface<ReaderCase> {};

// With an offset of more than ten seconds every reader, even time() in whole
// seconds, must show it.
TEST_P(UnderShimReader, ReadsTheRealTimePlusTheOffset) {
    const ReaderCase& reader = GetParam();
    timex step = stepRequest(10'300 * kMillisecond, false);
    ASSERT_GE(adjtimex(&step), 0);
    const std::int64_t offset = currentOffset();

    const std::int64_t realBefore = kernelClockNs(reader.realClock);
    const std::int64_t read = reader.read();
    const std::int64_t realAfter = kernelClockNs(reader.realClock);

    EXPECT_GE(read, realBefore + offset - reader.resolution);
    EXPECT_LE(read, realAfter + offset + reader.resolution);
}

INSTANTIATE_TEST_SUITE_P(
    EveryWayToReadTheClock, UnderShimReader,
    ::testing::Values(
        ReaderCase{"clock_gettime", [] { return libcClockNs(CLOCK_REALTIME); }, CLOCK_REALTIME, 0},
        ReaderCase{"clock_gettime_coarse", [] { return libcClockNs(CLOCK_REALTIME_COARSE); },
                   CLOCK_REALTIME_COARSE, 0},
        ReaderCase{"gettimeofday",
                   [] {
                       timeval now{};
                       gettimeofday(&now, nullptr);
                       return static_cast<std::int64_t>(now.tv_sec) * kSecond + now.tv_usec * 1000;
                   },
                   CLOCK_REALTIME, 1000},
        ReaderCase{"time", [] { return static_cast<std::int64_t>(time(nullptr)) * kSecond; },
                   CLOCK_REALTIME, kSecond},
        ReaderCase{"timespec_get",
                   [] {
                       timespec now{};
                       timespec_get(&now, TIME_UTC);
                       return toNs(now);
                   },
                   CLOCK_REALTIME, 0}),
    [](const auto& instance) { return std::string(instance.param.name); });

TEST_F(UnderShim, LeavesTheMonotonicClockAlone) {
    timex step = stepRequest(5 * kSecond, false);
    ASSERT_GE(adjtimex(&step), 0);
    EXPECT_TRUE(
        nearInteger(libcClockNs(CLOCK_MONOTONIC), kernelClockNs(CLOCK_MONOTONIC), kReadingGap));
}

struct RefusalCase {
    const char* name;
    int (*request)();
    const char* loggedCall;
};

class UnderShimRefusal : public UnderShim, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(UnderShimRefusal, RefusesEveryOtherAdjustmentWithoutMoving) {
    const RefusalCase& refused = GetParam();
    const std::int64_t before = currentOffset();
    errno = 0;
    EXPECT_EQ(refused.request(), -1);
    EXPECT_EQ(errno, EPERM);
    EXPECT_EQ(currentOffset(), before);
    const auto line = lastLogLine();
    EXPECT_EQ(line.at("call"), refused.loggedCall);
    EXPECT_EQ(line.count("refused"), 1U);
}

int adjtimexWithModes(unsigned int modes) {
    timex request{};
    request.modes = modes;
    request.freq = 1 << 16;
    request.offset = 1000;
    return adjtimex(&request);
}

INSTANTIATE_TEST_SUITE_P(
    EveryOtherAdjustment, UnderShimRefusal,
    ::testing::Values(
        RefusalCase{"frequency", [] { return adjtimexWithModes(ADJ_FREQUENCY); }, "adjtimex"},
        RefusalCase{"slewed_offset", [] { return adjtimexWithModes(ADJ_OFFSET); }, "adjtimex"},
        RefusalCase{"old_style_slew", [] { return adjtimexWithModes(ADJ_OFFSET_SINGLESHOT); },
                    "adjtimex"},
        RefusalCase{"status", [] { return adjtimexWithModes(ADJ_STATUS); }, "adjtimex"},
        RefusalCase{"step_with_frequency",
                    [] { return adjtimexWithModes(ADJ_SETOFFSET | ADJ_FREQUENCY); }, "adjtimex"},
        RefusalCase{"adjtime_slew",
                    [] {
                        const timeval delta{0, 300'000};
                        return adjtime(&delta, nullptr);
                    },
                    "adjtime"},
        RefusalCase{"settimeofday_with_time_zone",
                    [] {
                        const struct timezone zone {};
                        return settimeofday(nullptr, &zone);
                    },
                    "settimeofday"},
        RefusalCase{"other_clock",
                    [] {
                        const timespec time{1, 0};
                        return clock_settime(CLOCK_MONOTONIC, &time);
                    },
                    "clock_settime"},
        RefusalCase{"clock_adjtime_other_clock",
                    [] {
                        timex request = stepRequest(kSecond, false);
                        return clock_adjtime(CLOCK_TAI, &request);
                    },
                    "clock_adjtime"}),
    [](const auto& instance) { return std::string(instance.param.name); });

TEST_F(UnderShim, RejectsAnInvalidTimeWithoutMoving) {
    const std::int64_t before = currentOffset();
    const timespec invalid{time(nullptr), kSecond};
    errno = 0;
    EXPECT_EQ(clock_settime(CLOCK_REALTIME, &invalid), -1);
    EXPECT_EQ(errno, EINVAL);
    EXPECT_EQ(currentOffset(), before);
}

TEST_F(UnderShim, AnswersAQueryWithTheVirtualTime) {
    timex step = stepRequest(20 * kSecond, false);
    ASSERT_GE(adjtimex(&step), 0);
    timex query{};
    const std::int64_t realBefore = kernelClockNs(CLOCK_REALTIME);
    EXPECT_EQ(adjtimex(&query), TIME_ERROR);
    const std::int64_t answered =
        static_cast<std::int64_t>(query.time.tv_sec) * kSecond + query.time.tv_usec * 1000;
    EXPECT_TRUE(nearInteger(answered, realBefore + currentOffset(), kReadingGap));
    EXPECT_NE(query.status & STA_UNSYNC, 0);
}

// The offset outlives the process through the state file: a program started
// afterwards under the library reads the moved clock.
TEST_F(UnderShim, HandsTheOffsetToTheNextProcess) {
    const char* state = std::getenv("QUARNEL_CLOCKSHIM_STATE");
    ASSERT_NE(state, nullptr);
    timex step = stepRequest(-3600 * kSecond, false);
    ASSERT_GE(adjtimex(&step), 0);

    std::ifstream saved(state);
    std::int64_t savedOffset = 0;
    saved >> savedOffset;
    EXPECT_EQ(savedOffset, currentOffset());

    const std::int64_t realBefore = kernelClockNs(CLOCK_REALTIME);
    std::FILE* date = popen("date +%s%N", "r");
    ASSERT_NE(date, nullptr);
    long long shown = 0;
    ASSERT_EQ(std::fscanf(date, "%lld", &shown), 1);
    pclose(date);
    const std::int64_t realAfter = kernelClockNs(CLOCK_REALTIME);
    EXPECT_GE(shown, realBefore + currentOffset());
    EXPECT_LE(shown, realAfter + currentOffset());
}

// --- a clock that starts off the real one ---

// Run with QUARNEL_CLOCKSHIM_START_OFFSET_NS set to kStartOffset and a state
// file that no set has written yet.
constexpr std::int64_t kStartOffset = 730 * kMillisecond;
constexpr int kBadStartOffsetStatus = 125;

class StartOffset : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(shim::isLoaded()) << "run with the clock interception library preloaded";
        ASSERT_FALSE(shim::mayChangeRealClock()) << "run as an unprivileged user";
        const char* start = std::getenv("QUARNEL_CLOCKSHIM_START_OFFSET_NS");
        ASSERT_EQ(std::string(start != nullptr ? start : ""), std::to_string(kStartOffset));
        ASSERT_NE(std::getenv("QUARNEL_CLOCKSHIM_STATE"), nullptr);
        ASSERT_NE(std::getenv("QUARNEL_CLOCKSHIM_LOG"), nullptr);
    }

    // A file in the folder of the library's log, which the runner removes.
    static std::string scratchFile(const std::string& name) {
        const std::string log = std::getenv("QUARNEL_CLOCKSHIM_LOG");
        return log.substr(0, log.rfind('/') + 1) + name;
    }
};

TEST_F(StartOffset, ThisProcessStartsThereAndASetMovesFromThere) {
    EXPECT_EQ(currentOffset(), kStartOffset);
    const std::int64_t seen = libcClockNs(CLOCK_REALTIME) - kernelClockNs(CLOCK_REALTIME);
    EXPECT_TRUE(nearInteger(seen, kStartOffset, kReadingGap));

    timex step = stepRequest(-kStartOffset, false);
    ASSERT_GE(adjtimex(&step), 0);
    const auto line = lastLogLine();
    EXPECT_EQ(field(line, "move_ns"), -kStartOffset);
    EXPECT_EQ(field(line, "offset_ns"), 0);
    std::ifstream saved(std::getenv("QUARNEL_CLOCKSHIM_STATE"));
    std::int64_t savedOffset = -1;
    saved >> savedOffset;
    EXPECT_EQ(savedOffset, 0);
}

struct ChildStartCase {
    const char* name;
    const char* startOffset;      // the variable's value for the child
    const char* savedState;       // what a set left in the state file; nullptr: no file
    std::int64_t expectedOffset;  // the child's clock against the real one
    bool refused;                 // the child must not run at all
};

class StartOffsetOfAChild : public StartOffset,
                            public ::testing::WithParamInterface<ChildStartCase> {};

// A new process under the library (date) with the case's start offset and
// state file: where its clock starts, or that it refuses to start.
TEST_P(StartOffsetOfAChild, StartsWhereTheVariableAndTheStateFileSay) {
    const ChildStartCase& child = GetParam();
    const std::string state = scratchFile(std::string("child-") + child.name + ".state");
    std::remove(state.c_str());
    if (child.savedState != nullptr) {
        std::ofstream(state) << child.savedState << "\n";
    }
    const std::string command = std::string("env QUARNEL_CLOCKSHIM_START_OFFSET_NS='") +
                                child.startOffset + "' QUARNEL_CLOCKSHIM_STATE='" + state +
                                "' date +%s%N 2>&1";

    const std::int64_t realBefore = kernelClockNs(CLOCK_REALTIME);
    std::FILE* date = popen(command.c_str(), "r");
    ASSERT_NE(date, nullptr);
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, date) != nullptr) {
        output += buffer;
    }
    const int status = pclose(date);
    const std::int64_t realAfter = kernelClockNs(CLOCK_REALTIME);
    std::remove(state.c_str());

    if (child.refused) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kBadStartOffsetStatus) << status;
        EXPECT_NE(output.find("QUARNEL_CLOCKSHIM_START_OFFSET_NS"), std::string::npos) << output;
        return;
    }
    ASSERT_EQ(status, 0) << output;
    const std::int64_t shown = std::stoll(output);
    EXPECT_GE(shown, realBefore + child.expectedOffset) << output;
    EXPECT_LE(shown, realAfter + child.expectedOffset) << output;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartOffsetOfAChild,
    ::testing::Values(
        ChildStartCase{"fast", "730000000", nullptr, kStartOffset, false},
        ChildStartCase{"slow_by_seconds", "-2500000000", nullptr, -2500 * kMillisecond, false},
        ChildStartCase{"empty_is_none", "", nullptr, 0, false},
        ChildStartCase{"a_saved_state_wins", "730000000", "-1000000000", -kSecond, false},
        ChildStartCase{"a_saved_zero_wins", "730000000", "0", 0, false},
        ChildStartCase{"fraction_refused", "0.73", nullptr, 0, true},
        ChildStartCase{"unit_refused", "730000000ns", nullptr, 0, true},
        ChildStartCase{"out_of_range_refused", "99999999999999999999", nullptr, 0, true},
        ChildStartCase{"refused_also_beside_a_state", "0.73", "0", 0, true}),
    [](const auto& instance) { return std::string(instance.param.name); });

// --- without the library: the safety net ---

class WithoutShim : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(shim::isLoaded()) << "run without the clock interception library";
        ASSERT_FALSE(shim::mayChangeRealClock()) << "run as an unprivileged user";
    }
};

struct RealSetterCase {
    const char* name;
    int (*setBy)(std::int64_t shift);
};

class WithoutShimSetter : public WithoutShim,
                          public ::testing::WithParamInterface<RealSetterCase> {};

TEST_P(WithoutShimSetter, IsRefusedBySystem) {
    const std::int64_t realBefore = kernelClockNs(CLOCK_REALTIME) - kernelClockNs(CLOCK_MONOTONIC);
    errno = 0;
    EXPECT_EQ(GetParam().setBy(300 * kMillisecond), -1);
    EXPECT_EQ(errno, EPERM);
    const std::int64_t realAfter = kernelClockNs(CLOCK_REALTIME) - kernelClockNs(CLOCK_MONOTONIC);
    EXPECT_TRUE(nearInteger(realAfter, realBefore, kReadingGap));
}

INSTANTIATE_TEST_SUITE_P(EveryWayToSetTheClock, WithoutShimSetter,
                         ::testing::Values(RealSetterCase{"clock_settime", clockSetTimeBy},
                                           RealSetterCase{"settimeofday", setTimeOfDayBy},
                                           RealSetterCase{"adjtimex_step", adjtimexBy},
                                           RealSetterCase{"clock_adjtime_step", clockAdjtimeBy}),
                         [](const auto& instance) { return std::string(instance.param.name); });

}  // namespace
