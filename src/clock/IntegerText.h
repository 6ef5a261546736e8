#pragma once

#include <cstdint>
#include <string>

namespace quarnel {

// Strict decimal conversion of a whole text to a signed 32-bit integer, as the
// refresh interval needs it. Throws std::runtime_error with the message
// "'<text>' ist kein gültiger Integerwert" for an empty text, any character
// that does not belong to the number, or a value outside the 32-bit range.
std::int32_t strToInt(const std::string& text);

}  // namespace quarnel
