#include <gtest/gtest.h>

#include <string>

#include "platform/linux/ProcessIdentity.h"

namespace quarnel {
namespace {

using namespace std::string_literals;

TEST(ProcessIdentityTest, TheExecutableIsNamedByItsFileEvenAfterItWasReplaced) {
    EXPECT_EQ(executableFileName("/usr/sbin/chronyd"), "chronyd");
    EXPECT_EQ(executableFileName("/usr/sbin/chronyd (deleted)"), "chronyd");
    EXPECT_EQ(executableFileName("/opt/My Clock/keeper"), "keeper");
    EXPECT_EQ(executableFileName("/opt/keeper (deleted) (deleted)"), "keeper (deleted)");
}

struct CommandCase {
    const char* what;
    std::string comm;         // contents of /proc/PID/comm
    std::string commandLine;  // contents of /proc/PID/cmdline
    const char* expected;
};

class CommandFileNameTest : public ::testing::TestWithParam<CommandCase> {};

TEST_P(CommandFileNameTest, CompletesOnlyACutCommandName) {
    const CommandCase& c = GetParam();
    EXPECT_EQ(commandFileName(c.comm, c.commandLine), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandFileNameTest,
    ::testing::Values(
        CommandCase{"short name", "chronyd\n", "/usr/sbin/chronyd\0-F\0"s, "chronyd"},
        CommandCase{"short name, renamed first argument", "chronyd\n", "chrony-main\0"s, "chronyd"},
        CommandCase{"cut name", "clock-keeper-da\n", "/opt/clock-keeper-daemon\0--x\0"s,
                    "clock-keeper-daemon"},
        CommandCase{"cut name, bare first argument", "clock-keeper-da\n", "clock-keeper-daemon\0"s,
                    "clock-keeper-daemon"},
        CommandCase{"fifteen characters, not cut", "fifteen-letters\n", "/bin/fifteen-letters\0"s,
                    "fifteen-letters"},
        CommandCase{"first argument names something else", "clock-keeper-da\n",
                    "/usr/bin/python3\0keeper.py\0"s, "clock-keeper-da"},
        CommandCase{"no command line (kernel thread)", "kworker/0:1-eve\n", "", "kworker/0:1-eve"},
        CommandCase{"empty", "", "", ""}));

TEST(ProcessIdentityTest, OnlyIdsOfSingleProcessesAreSignalled) {
    EXPECT_EQ(signalTarget(1234), 1234);
    EXPECT_EQ(signalTarget(0), std::nullopt) << "0 signals our own process group";
    EXPECT_EQ(signalTarget(0xFFFFFFFF), std::nullopt) << "-1 signals every process";
    EXPECT_EQ(signalTarget(0x80000000), std::nullopt) << "negative ids signal groups";
    EXPECT_EQ(signalTarget(0x7FFFFFFF), 0x7FFFFFFF);
}

}  // namespace
}  // namespace quarnel
