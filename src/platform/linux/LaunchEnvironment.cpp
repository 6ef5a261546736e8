#include "platform/linux/LaunchEnvironment.h"

#include <unistd.h>

#include <algorithm>
#include <string_view>

namespace quarnel {
namespace {

bool onlyForQuarnel(std::string_view entry) {
    const std::string_view name = entry.substr(0, entry.find('='));
    return name.starts_with("LD_") || name == "GLIBC_TUNABLES" || name.starts_with("QUARNEL_");
}

}  // namespace

std::vector<std::string> launchEnvironment(const std::vector<std::string>& own) {
    std::vector<std::string> passed;
    std::copy_if(own.begin(), own.end(), std::back_inserter(passed),
                 [](const std::string& entry) { return !onlyForQuarnel(entry); });
    return passed;
}

std::vector<std::string> currentEnvironment() {
    std::vector<std::string> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        entries.emplace_back(*entry);
    }
    return entries;
}

}  // namespace quarnel
