#include "clock/RefusalAdvice.h"

#include <string_view>

namespace quarnel {
namespace {

constexpr std::string_view kSeeRights =
    " See \"Rights Quarnel needs\" on the help page, under the Help button";

}  // namespace

std::string advisedReason(const std::string& reason, const std::string& retry) {
    if (reason == "Automatic time synchronization is enabled") {
        return reason + ". Switch Quarnel on to hold it, or name the time service on the Setup tab";
    }
    if (reason == "Interactive authentication required.") {
        // No authentication agent runs on this desktop to show the dialog.
        return "Interactive authentication required, and no password dialog could be shown." +
               std::string(kSeeRights);
    }
    if (reason == "Permission denied" || reason == "Access denied") {
        return reason + "." + std::string(kSeeRights);
    }
    if (reason == "Method call timed out") {
        // The service gave up waiting for the password; a late answer is
        // thrown away.
        return "The authorization took too long; press " + retry + " again";
    }
    return reason;
}

}  // namespace quarnel
