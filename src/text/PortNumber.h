#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quarnel {

// A UDP or TCP port as the user types it: one to five decimal digits, no
// sign, from 1 to 65535. Nothing for any other text.
std::optional<std::uint16_t> portNumber(std::string_view text);

}  // namespace quarnel
