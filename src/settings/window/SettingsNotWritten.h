#pragma once

#include <stdexcept>
#include <string>

// The settings file could not be written at close. The window lets the user
// choose between closing without the settings and staying open to mend the
// cause, instead of showing the message as any other error. The message
// names the file and, on a line of its own, why it could not be written.
class SettingsNotWritten : public std::runtime_error {
  public:
    SettingsNotWritten(const std::string& path, const std::string& reason);
};

// The settings file could not be read at start, so the close leaves it as it
// was rather than write this run's defaults over what the user may have
// written there. The window tells it once and closes all the same.
class SettingsLeftAsFound : public std::runtime_error {
  public:
    explicit SettingsLeftAsFound(const std::string& path);
};
