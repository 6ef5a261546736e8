#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace quarnel {

// The four numbers of a file version (major, minor, release, build) in
// decimal, without leading zeros, joined by ".": "2.1.0.15".
std::string formatVersionText(const std::array<std::uint16_t, 4>& numbers);

}  // namespace quarnel
