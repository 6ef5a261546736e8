#include "platform/linux/ConfigurationFolder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/Platform.h"

namespace quarnel {
namespace {

std::optional<std::string> absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') {
        return std::nullopt;  // unset, empty or relative: to be ignored
    }
    return value;
}

std::optional<std::string> homeFolder() {
    if (std::optional<std::string> home = absoluteVariable("HOME")) {
        return home;
    }
    const passwd* entry = ::getpwuid(::getuid());
    if (entry == nullptr || entry->pw_dir == nullptr || entry->pw_dir[0] != '/') {
        return std::nullopt;
    }
    return std::string(entry->pw_dir);
}

}  // namespace

std::optional<std::string> configurationFolder() {
    if (std::optional<std::string> configured = absoluteVariable("XDG_CONFIG_HOME")) {
        return configured;
    }
    if (std::optional<std::string> home = homeFolder()) {
        return fileInDirectory(*home, ".config");
    }
    return std::nullopt;
}

bool isInConfigurationFolder(const std::string& path) {
    const std::optional<std::string> folder = configurationFolder();
    return folder && path.starts_with(*folder + "/");
}

}  // namespace quarnel
