#include <gtest/gtest.h>

#include "clock/RefusalAdvice.h"

namespace quarnel {
namespace {

// Only the texts of the system's services that Quarnel knows get advice; the
// retry names the button the user pressed.
TEST(RefusalAdviceTest, KnownReasonsSayWhatToDoOthersStayAsTheyAre) {
    const struct {
        const char* reason;
        const char* retry;
        const char* advised;
    } cases[] = {
        {"Automatic time synchronization is enabled", "SET",
         "Automatic time synchronization is enabled. Switch Quarnel on to hold it, or name the "
         "time service on the Setup tab"},
        {"Method call timed out", "RESET", "The authorization took too long; press RESET again"},
        {"Interactive authentication required.", "SET",
         "Interactive authentication required, and no password dialog could be shown. See "
         "\"Rights Quarnel needs\" on the help page, under the Help button"},
        {"Access denied", "the switch",
         "Access denied. See \"Rights Quarnel needs\" on the help page, under the Help button"},
        {"Failed to update context: No route to host", "SET",
         "Failed to update context: No route to host"},
        {"", "SET", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(advisedReason(c.reason, c.retry), c.advised) << c.reason;
    }
}

}  // namespace
}  // namespace quarnel
