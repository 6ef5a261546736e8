#pragma once

#include <string>
#include <string_view>

namespace quarnel {

// The bytes of a settings file as UTF-8 text. Quarnel writes UTF-8; files
// written by the Windows profile functions are UTF-16LE with a byte-order
// mark, or 8-bit text in the Windows-1252 code page, and are read too:
// - a UTF-8 byte-order mark is dropped, and the rest read as below;
// - after a UTF-16LE mark the rest is UTF-16LE (broken pairs become U+FFFD);
// - otherwise valid UTF-8 is kept as it is, and anything else is Windows-1252.
std::string decodeIniText(std::string_view bytes);

}  // namespace quarnel
