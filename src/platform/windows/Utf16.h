#pragma once

#include <string>
#include <string_view>

namespace quarnel {

// The program keeps text in UTF-8; the Win32 "W" functions take UTF-16.
// Malformed input becomes U+FFFD rather than failing.
std::wstring toUtf16(std::string_view text);
std::string toUtf8(std::wstring_view text);

}  // namespace quarnel
