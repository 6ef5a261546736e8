#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

// The bytes of a settings file as UTF-8 text. Quarnel writes UTF-8; files
// written by the Windows profile functions are UTF-16LE with a byte-order
// mark, or 8-bit text in the Windows-1252 code page, and editors save UTF-16
// in either byte order, with a mark or without one. All are read:
// - after a UTF-16 mark, the rest is UTF-16 in the mark's byte order;
// - without one, an even number of bytes that begins with an ASCII character
//   beside a NUL byte is UTF-16 in the byte order the NUL shows (a settings
//   file begins with a section, a comment or a blank line);
// - in UTF-16, broken surrogate pairs and an odd last byte become U+FFFD;
// - a UTF-8 mark is dropped, and the rest read as below;
// - otherwise valid UTF-8 is kept as it is, and anything else is Windows-1252.
// Nothing when the text holds a NUL character: no settings text does, so the
// bytes are in an encoding the reader does not know (UTF-32, say), or are no
// text at all, and must not be taken for an empty file.
//
// Whatever the file was read in, the close writes it back in UTF-8 without a
// mark (with the system's line ends).
std::optional<std::string> decodeIniText(std::string_view bytes);

}  // namespace quarnel
