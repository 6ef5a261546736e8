// LinuxPlatform::shiftLocalTime, the program's only way of moving the clock:
// under the clock interception library it must move the clock by exactly the
// shift asked; without the library, as an unprivileged user, it must report
// the system's refusal. Run by run_clockshim_tests.sh like the library's tests.

#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <ctime>

#include "ClockShimClient.h"
#include "NearInteger.h"
#include "platform/linux/LinuxPlatform.h"

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
    quarnel::LinuxPlatform system;
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
    quarnel::LinuxPlatform system;
    const std::int64_t before = realClockAgainstMonotonic();
    EXPECT_EQ(system.shiftLocalTime(3'000'000), "Operation not permitted");
    EXPECT_TRUE(nearInteger(realClockAgainstMonotonic(), before, 20'000'000));
}

}  // namespace
