#pragma once

#include <string>
#include <string_view>

namespace quarnel {

// The characters that end a directory part in a program path. Windows takes
// "/" as well as "\\" (and no file name can hold either).
inline constexpr std::string_view kWindowsPathSeparators = "\\/:";
inline constexpr std::string_view kLinuxPathSeparators = "/";

// The text after the last of `separators` in `path`, or all of it when it has
// none. A path that ends in a separator names no file: the result is empty.
std::string fileNamePart(std::string_view path, std::string_view separators);

}  // namespace quarnel
