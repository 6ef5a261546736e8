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

struct ServiceParametersCase {
    TKeeperAction action;
    bool verbose;
    std::string serviceName;
    std::string parameters;
};

// The whole text, switch included, stands in one pair of double quotes; the
// name is neither trimmed nor quoted on its own.
TEST(ServiceParametersTest, JoinsSwitchCommandActionAndNameInOnePairOfQuotes) {
    const ServiceParametersCase cases[] = {
        {TKeeperAction::Stop, false, "W32Time", R"("/C net.exe stop W32Time")"},
        {TKeeperAction::Stop, true, "W32Time", R"("/K net.exe stop W32Time")"},
        {TKeeperAction::Start, false, "W32Time", R"("/C net.exe start W32Time")"},
        {TKeeperAction::Start, true, "W32Time", R"("/K net.exe start W32Time")"},
        {TKeeperAction::Stop, false, "Time Keeper", R"("/C net.exe stop Time Keeper")"},
        {TKeeperAction::Stop, true, "Time Keeper", R"("/K net.exe stop Time Keeper")"},
        {TKeeperAction::Start, false, "Time Keeper", R"("/C net.exe start Time Keeper")"},
        {TKeeperAction::Start, true, "Time Keeper", R"("/K net.exe start Time Keeper")"},
        {TKeeperAction::Stop, false, "   ", R"("/C net.exe stop    ")"},
        {TKeeperAction::Stop, true, "   ", R"("/K net.exe stop    ")"},
        {TKeeperAction::Start, false, "   ", R"("/C net.exe start    ")"},
        {TKeeperAction::Start, true, "   ", R"("/K net.exe start    ")"},
    };
    for (const ServiceParametersCase& c : cases) {
        SCOPED_TRACE("name [" + c.serviceName + "]");
        EXPECT_EQ(serviceParameters(c.action, c.verbose, c.serviceName), c.parameters);
    }
}

// systemd's D-Bus interface wants the unit's full name; systemctl adds
// ".service" to a name that names no kind of unit, and so does Quarnel.
TEST(UnitNameTest, AddsServiceOnlyWhereNoKindOfUnitIsNamed) {
    const struct {
        const char* typed;
        const char* unit;
    } cases[] = {
        {"chronyd", "chronyd.service"},         {"systemd-timesyncd", "systemd-timesyncd.service"},
        {"ntp.service", "ntp.service"},         {"time-sync.target", "time-sync.target"},
        {"chrony.conf", "chrony.conf.service"}, {".service", ".service.service"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(unitName(c.typed), c.unit) << c.typed;
    }
}

}  // namespace
}  // namespace quarnel
