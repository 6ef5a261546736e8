#pragma once

#include <optional>
#include <string>

namespace quarnel {

// The user's configuration folder: $XDG_CONFIG_HOME, or ~/.config when that
// is unset or not an absolute path. Nothing when not even a home folder is
// known.
std::optional<std::string> configurationFolder();

// Whether `path` lies inside the user's configuration folder.
bool isInConfigurationFolder(const std::string& path);

}  // namespace quarnel
