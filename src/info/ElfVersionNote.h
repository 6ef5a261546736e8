#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quarnel {

// Reads exactly `size` bytes at `offset` of a file, or nothing when the file
// ends sooner or cannot be read.
using ByteSource =
    std::function<std::optional<std::string>(std::uint64_t offset, std::uint64_t size)>;

// The most bytes the reader asks of any file: the ELF header, a program header
// table of a size no program comes near, and the notes it looks through. A
// crafted file with thousands of note headers costs no more than this.
inline constexpr std::uint64_t kLargestProgramHeaderTable = 64 * 1024;
inline constexpr std::uint64_t kMostNoteBytes = 1024 * 1024;
inline constexpr int kMostNoteSegments = 16;

// The version that the build embeds in a Linux program file as an ELF note
// (see cmake/EmbedVersion.cmake): owner "Quarnel", type 1, and four 16-bit
// numbers (major, minor, release, build) in the file's byte order, in a
// PT_NOTE segment. Nothing when the file holds no such note within the limits
// above. Every offset and size taken from the file is checked before use.
std::optional<std::array<std::uint16_t, 4>> readElfVersionNote(const ByteSource& read);

}  // namespace quarnel
