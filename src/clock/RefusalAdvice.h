#pragma once

#include <string>

namespace quarnel {

// A refusal of the system, as the user reads it: the system's reason, and
// what to do about it where the reason is one of those the system's time and
// service managers give (systemd's texts). A reason Quarnel does not know is
// kept as it is. `retry` names the button that tries again ("SET").
std::string advisedReason(const std::string& reason, const std::string& retry);

}  // namespace quarnel
