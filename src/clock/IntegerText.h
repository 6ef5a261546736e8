#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

// Strict decimal conversion of a whole text to a signed 32-bit integer, as the
// refresh interval needs it: an optional sign, then at least one digit and
// nothing else. Nothing for any other text or a value outside the 32-bit
// range.
std::optional<std::int32_t> decimalInteger(std::string_view text);

// What the user is told about a text that decimalInteger refuses:
// "'<text>' ist kein gültiger Integerwert".
std::string notAnIntegerMessage(std::string_view text);

}  // namespace quarnel
