// SystemPlatform::shiftLocalTime, the program's only way of moving the clock:
// under the clock interception library it must move the clock by exactly the
// shift asked; without the library, as an unprivileged user, it must report
// the system's refusal. Run by run_clockshim_tests.sh like the library's tests.

#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "ClockShimClient.h"
#include "NearInteger.h"
#include "platform/SystemPlatform.h"

namespace {

namespace shim = quarnel::clockshim;
using quarnel::testing::nearInteger;

constexpr std::int64_t kNsPerUnit = 100;

// The outcome of a shift whose answer comes at once, as it does from the
// kernel and from the doubles here; nothing when no answer came.
std::optional<quarnel::Refusal> shiftNow(quarnel::SystemPlatform& system, std::int64_t shift) {
    std::optional<quarnel::Refusal> outcome;
    system.shiftLocalTime(shift,
                          [&outcome](const quarnel::Refusal& refusal) { outcome = refusal; });
    return outcome;
}

const std::optional<quarnel::Refusal> kStepped = quarnel::Refusal();

std::int64_t realClockAgainstMonotonic() {
    timespec real{};
    timespec monotonic{};
    syscall(SYS_clock_gettime, CLOCK_REALTIME, &real);
    syscall(SYS_clock_gettime, CLOCK_MONOTONIC, &monotonic);
    return (static_cast<std::int64_t>(real.tv_sec) - monotonic.tv_sec) * 1'000'000'000 +
           real.tv_nsec - monotonic.tv_nsec;
}

class UnderShimLinuxShift : public ::testing::TestWithParam<std::int64_t> {
  protected:
    void SetUp() override {
        ASSERT_TRUE(shim::isLoaded());
        ASSERT_FALSE(shim::mayChangeRealClock());
    }
};

TEST_P(UnderShimLinuxShift, MovesTheClockByExactlyTheShift) {
    quarnel::SystemPlatform system;
    const std::int64_t before = *shim::offsetNs();
    EXPECT_EQ(shiftNow(system, GetParam()), kStepped);
    EXPECT_EQ(*shim::offsetNs() - before, GetParam() * kNsPerUnit);
}

// 100 ns either way, the typical use, a negative shift whose fraction must be
// carried into the seconds, nothing (ACCEPT), and more than an hour.
INSTANTIATE_TEST_SUITE_P(Shifts, UnderShimLinuxShift,
                         ::testing::Values(1, -1, 3'000'000, -3'000'000, -12'345'678, 0,
                                           36'012'345'678));

TEST(WithoutShimLinuxShift, ReportsTheSystemsRefusal) {
    ASSERT_FALSE(shim::isLoaded());
    ASSERT_FALSE(shim::mayChangeRealClock());
    quarnel::SystemPlatform system;
    const std::int64_t before = realClockAgainstMonotonic();
    EXPECT_EQ(shiftNow(system, 3'000'000), quarnel::Refusal("Operation not permitted"));
    EXPECT_TRUE(nearInteger(realClockAgainstMonotonic(), before, 20'000'000));
}

// The system's time service, as the program's D-Bus client reports it.
class TimeServiceDouble : public quarnel::TimeService {
  public:
    explicit TimeServiceDouble(quarnel::ServiceAnswer answer) : answer_(std::move(answer)) {}
    void stepClock(std::int64_t microseconds, quarnel::ServiceAnswered done) override {
        asked.push_back(microseconds);
        done(answer_);
    }
    void readAutomaticSync(std::function<void(std::optional<bool>)> done) override {
        done(std::nullopt);
    }
    void setAutomaticSync(bool /*on*/, quarnel::ServiceAnswered done) override { done(answer_); }
    std::vector<std::int64_t> asked;

  private:
    quarnel::ServiceAnswer answer_;
};

using Outcome = quarnel::ServiceAnswer::Outcome;

// Run with the library refusing every set with EPERM, as the kernel refuses
// a user without the right to set the clock.
TEST(UnderRefusingShimLinuxShift, AStepRefusedForLackOfRightIsAskedOfTheTimeService) {
    ASSERT_TRUE(shim::isLoaded());
    // Whole microseconds pass exactly; finer shifts are rounded to the nearest.
    const struct {
        std::int64_t shift;
        std::int64_t microseconds;
    } cases[] = {{3'000'000, 300'000},
                 {-3'000'000, -300'000},
                 {500'000, 50'000},
                 {15, 2},
                 {-15, -2},
                 {14, 1}};
    for (const auto& [shift, microseconds] : cases) {
        TimeServiceDouble service({Outcome::Done, {}});
        quarnel::SystemPlatform system({.timeService = &service});
        EXPECT_EQ(shiftNow(system, shift), kStepped) << shift;
        EXPECT_EQ(service.asked, std::vector<std::int64_t>{microseconds}) << shift;
    }
    EXPECT_EQ(*shim::offsetNs(), 0) << "the refusing library moved its clock";
}

TEST(UnderRefusingShimLinuxShift, TheServicesRefusalOrElseTheSystemsIsTheReason) {
    const struct {
        quarnel::ServiceAnswer answer;
        std::string reason;
    } cases[] = {
        {{Outcome::Refused, "Automatic time synchronization is enabled"},
         "Automatic time synchronization is enabled"},
        {{Outcome::Unavailable, {}}, "Operation not permitted"},
    };
    for (const auto& [answer, reason] : cases) {
        TimeServiceDouble service(answer);
        quarnel::SystemPlatform system({.timeService = &service});
        EXPECT_EQ(shiftNow(system, 3'000'000), quarnel::Refusal(reason));
    }
    quarnel::SystemPlatform withoutService;
    EXPECT_EQ(shiftNow(withoutService, 3'000'000), quarnel::Refusal("Operation not permitted"));
}

// The kernel's own refusal leads to the service as well.
TEST(WithoutShimLinuxShift, TheKernelsRefusalIsAskedOfTheTimeService) {
    ASSERT_FALSE(shim::isLoaded());
    ASSERT_FALSE(shim::mayChangeRealClock());
    TimeServiceDouble service({Outcome::Done, {}});
    quarnel::SystemPlatform system({.timeService = &service});
    const std::int64_t before = realClockAgainstMonotonic();
    EXPECT_EQ(shiftNow(system, 3'000'000), kStepped);
    EXPECT_EQ(service.asked, std::vector<std::int64_t>{300'000});
    EXPECT_TRUE(nearInteger(realClockAgainstMonotonic(), before, 20'000'000));
}

}  // namespace
