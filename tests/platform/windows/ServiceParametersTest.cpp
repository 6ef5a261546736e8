#include <gtest/gtest.h>

#include "platform/windows/ServiceParameters.h"

namespace quarnel {
namespace {

struct ServiceCase {
    TKeeperAction action;
    bool verbose;
    std::string serviceName;
    std::string parameters;
};

// The whole text, switch included, stands in one pair of double quotes; the
// name is neither trimmed nor quoted on its own.
TEST(ServiceParametersTest, JoinsSwitchCommandActionAndNameInOnePairOfQuotes) {
    const ServiceCase cases[] = {
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
    for (const ServiceCase& c : cases) {
        SCOPED_TRACE("name [" + c.serviceName + "]");
        EXPECT_EQ(serviceParameters(c.action, c.verbose, c.serviceName), c.parameters);
    }
}

}  // namespace
}  // namespace quarnel
