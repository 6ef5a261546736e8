// SystemPlatform::shiftLocalTime, the program's only way of moving the clock:
// under the clock interception library it must move the clock by exactly the
// shift asked; without the library, as an unprivileged user, it must report
// the system's refusal. Run by run_clockshim_tests.sh like the library's tests.

#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "ClockShimClient.h"
#include "NearInteger.h"
#include "platform/SystemPlatform.h"

namespace {

namespace shim = quarnel::clockshim;
using quarnel::testing::nearInteger;

constexpr std::int64_t kNsPerUnit = 100;

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
    EXPECT_EQ(system.shiftLocalTime(GetParam()), std::nullopt);
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
    EXPECT_EQ(system.shiftLocalTime(3'000'000), "Operation not permitted");
    EXPECT_TRUE(nearInteger(realClockAgainstMonotonic(), before, 20'000'000));
}

// The system's time service, as the program's D-Bus client reports it.
class TimeServiceDouble : public quarnel::TimeService {
  public:
    explicit TimeServiceDouble(Answer answer) : answer_(std::move(answer)) {}
    Answer stepClock(std::int64_t microseconds) override {
        asked.push_back(microseconds);
        return answer_;
    }
    std::vector<std::int64_t> asked;

  private:
    Answer answer_;
};

using Outcome = quarnel::TimeService::Outcome;

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
        TimeServiceDouble service({Outcome::Stepped, {}});
        quarnel::SystemPlatform system(&service);
        EXPECT_EQ(system.shiftLocalTime(shift), std::nullopt) << shift;
        EXPECT_EQ(service.asked, std::vector<std::int64_t>{microseconds}) << shift;
    }
    EXPECT_EQ(*shim::offsetNs(), 0) << "the refusing library moved its clock";
}

TEST(UnderRefusingShimLinuxShift, TheServicesRefusalOrElseTheSystemsIsTheReason) {
    const struct {
        quarnel::TimeService::Answer answer;
        std::string reason;
    } cases[] = {
        {{Outcome::Refused, "Automatic time synchronization is enabled"},
         "Automatic time synchronization is enabled"},
        {{Outcome::Unavailable, {}}, "Operation not permitted"},
    };
    for (const auto& [answer, reason] : cases) {
        TimeServiceDouble service(answer);
        quarnel::SystemPlatform system(&service);
        EXPECT_EQ(system.shiftLocalTime(3'000'000), reason);
    }
    quarnel::SystemPlatform withoutService;
    EXPECT_EQ(withoutService.shiftLocalTime(3'000'000), "Operation not permitted");
}

// The kernel's own refusal leads to the service as well.
TEST(WithoutShimLinuxShift, TheKernelsRefusalIsAskedOfTheTimeService) {
    ASSERT_FALSE(shim::isLoaded());
    ASSERT_FALSE(shim::mayChangeRealClock());
    TimeServiceDouble service({Outcome::Stepped, {}});
    quarnel::SystemPlatform system(&service);
    const std::int64_t before = realClockAgainstMonotonic();
    EXPECT_EQ(system.shiftLocalTime(3'000'000), std::nullopt);
    EXPECT_EQ(service.asked, std::vector<std::int64_t>{300'000});
    EXPECT_TRUE(nearInteger(realClockAgainstMonotonic(), before, 20'000'000));
}

}  // namespace
