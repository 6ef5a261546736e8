#include <gmock/gmock.h>

#include "keepers/ServiceCommand.h"

namespace quarnel {
namespace {

using ::testing::ElementsAre;

struct ServiceCase {
    TKeeperAction action;
    const char* name;
    const char* verb;
};

class ServiceCommandTest : public ::testing::TestWithParam<ServiceCase> {};

TEST_P(ServiceCommandTest, PassesTheNameAsOneArgumentVerbatim) {
    const ServiceCase& c = GetParam();
    EXPECT_THAT(serviceCommand(c.action, c.name), ElementsAre("systemctl", c.verb, "--", c.name));
    EXPECT_THAT(
        inTerminalThatStaysOpen("/usr/bin/x-terminal-emulator", serviceCommand(c.action, c.name)),
        ElementsAre("/usr/bin/x-terminal-emulator", "-e", "sh", "-c",
                    R"("$@"; exec "${SHELL:-sh}")", "sh", "systemctl", c.verb, "--", c.name));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ServiceCommandTest,
    ::testing::Values(ServiceCase{TKeeperAction::Stop, "chrony", "stop"},
                      ServiceCase{TKeeperAction::Start, "chrony", "start"},
                      ServiceCase{TKeeperAction::Stop, "time keeper", "stop"},
                      ServiceCase{TKeeperAction::Start, "time keeper", "start"},
                      ServiceCase{TKeeperAction::Stop, "   ", "stop"},
                      ServiceCase{TKeeperAction::Start, "   ", "start"},
                      ServiceCase{TKeeperAction::Stop, R"x(a b;touch x $(id) "q" 'r')x", "stop"},
                      // a name, never an option of systemctl's
                      ServiceCase{TKeeperAction::Stop, "--now", "stop"},
                      ServiceCase{TKeeperAction::Start, "-H host", "start"}));

}  // namespace
}  // namespace quarnel
