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
