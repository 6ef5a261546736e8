#pragma once

#include <stdexcept>
#include <string>

// The settings file could not be written at close. The window lets the user
// choose between closing without the settings and staying open to mend the
// cause, instead of showing the message as any other error.
class SettingsNotWritten : public std::runtime_error {
  public:
    explicit SettingsNotWritten(const std::string& path)
        : std::runtime_error("In " + path + " kann nicht geschrieben werden") {}
};
