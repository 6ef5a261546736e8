#pragma once

#include <cstdint>
#include <string_view>

// What every port refuses of files alike, so that a settings file behaves the
// same on each system and the window can explain the refusals it did not get
// from the system. Both ports also follow a symbolic link in front of a file
// that is read, replaced or appended to: the file it leads to is used, and a
// replaced link stays a link. tests/platform/FileContractTest.cpp holds each
// port to these rules.
namespace quarnel {

// The largest file read: far beyond any settings file or version note, and
// small enough that a file mistaken for one cannot exhaust the program.
inline constexpr std::uint64_t kLargestReadableFile = 64 * 1024 * 1024;

// Only a regular file is read, appended to or measured: a directory, a
// device (on Windows also a device name such as NUL in any folder) or a FIFO
// under the name reads as nothing, and an append to one is refused so.
inline constexpr std::string_view kNotAFileRefusal = "not a regular file";

// A replace refused because the file is marked read-only (on Linux: the user
// may not write to it).
inline constexpr std::string_view kReadOnlyFileRefusal = "the file is read-only";

// A file reached through a symbolic link that another user may have planted:
// it belongs to neither the user nor root, in a folder others may write to.
// Nothing is read or written through it.
inline constexpr std::string_view kForeignLinkRefusal =
    "the file is a link another user made in a folder others may write to";

}  // namespace quarnel
