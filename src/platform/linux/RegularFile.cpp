#include "platform/linux/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <limits>

namespace quarnel {

std::optional<RegularFile> RegularFile::open(const std::string& path) {
    UniqueFd descriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat status {};
    if (!descriptor.valid() || ::fstat(descriptor.get(), &status) != 0 ||
        !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return RegularFile(std::move(descriptor), static_cast<std::uint64_t>(status.st_size));
}

std::optional<std::string> RegularFile::readAt(std::uint64_t offset, std::uint64_t size) const {
    constexpr auto kLargestOffset = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
    if (offset > kLargestOffset || size > kLargestOffset - offset) {
        return std::nullopt;
    }
    std::string bytes(size, '\0');
    std::uint64_t done = 0;
    while (done < size) {
        const ssize_t count = ::pread(m_descriptor.get(), bytes.data() + done, size - done,
                                      static_cast<off_t>(offset + done));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return std::nullopt;
        }
        done += static_cast<std::uint64_t>(count);
    }
    return bytes;
}

std::optional<std::string> RegularFile::readAll(std::uint64_t limit) const {
    std::string contents;
    char buffer[65536];
    std::uint64_t offset = 0;
    while (true) {
        const ssize_t count =
            ::pread(m_descriptor.get(), buffer, sizeof buffer, static_cast<off_t>(offset));
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 || contents.size() + static_cast<std::size_t>(count) > limit) {
            return std::nullopt;
        }
        if (count == 0) {
            return contents;
        }
        contents.append(buffer, static_cast<std::size_t>(count));
        offset += static_cast<std::uint64_t>(count);
    }
}

}  // namespace quarnel
