#pragma once

#include <string_view>

namespace quarnel {

// The C locale's white space: what a typed or pasted entry may carry around
// what the user means.
inline constexpr std::string_view kWhiteSpace = " \t\n\r\f\v";

// `text` without the characters of `blanks` at either end.
std::string_view trimmed(std::string_view text, std::string_view blanks = kWhiteSpace);

}  // namespace quarnel
