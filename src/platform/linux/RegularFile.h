#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/linux/UniqueFd.h"

namespace quarnel {

// A regular file open for reading: the one way the port opens a file to read
// it. A name that holds another kind of file (a directory, a FIFO that would
// block, a device) opens nothing, and opening never blocks.
class RegularFile {
  public:
    static std::optional<RegularFile> open(const std::string& path);

    // The size when the file was opened.
    std::uint64_t size() const { return m_size; }

    // Exactly `size` bytes from `offset`, or nothing when the file ends sooner
    // or cannot be read.
    std::optional<std::string> readAt(std::uint64_t offset, std::uint64_t size) const;
    // The whole file as it is now, or nothing when it cannot be read or grows
    // beyond `limit` bytes while it is read.
    std::optional<std::string> readAll(std::uint64_t limit) const;

  private:
    RegularFile(UniqueFd descriptor, std::uint64_t size)
        : m_descriptor(std::move(descriptor)), m_size(size) {}

    UniqueFd m_descriptor;
    std::uint64_t m_size;
};

}  // namespace quarnel
