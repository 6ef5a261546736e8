// The file version of a Linux program file, read from the version note that
// the build embeds (info/ElfVersionNote). The file may be anything that
// happens to carry the program's name.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <limits>

#include "info/ElfVersionNote.h"
#include "platform/SystemPlatform.h"

namespace quarnel {
namespace {

// An open regular file, read by position. Other kinds of file (a directory, a
// FIFO that would block) are refused.
class PositionalFile {
  public:
    explicit PositionalFile(const std::string& path)
        : descriptor_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)) {
        struct stat status {};
        if (descriptor_ >= 0 && (::fstat(descriptor_, &status) != 0 || !S_ISREG(status.st_mode))) {
            close();
        }
    }
    ~PositionalFile() { close(); }
    PositionalFile(const PositionalFile&) = delete;
    PositionalFile& operator=(const PositionalFile&) = delete;

    bool isOpen() const { return descriptor_ >= 0; }

    // Exactly `size` bytes from `offset`, or nothing when the file ends sooner.
    std::optional<std::string> read(std::uint64_t offset, std::uint64_t size) const {
        constexpr auto kLargestOffset =
            static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
        if (offset > kLargestOffset || size > kLargestOffset - offset) {
            return std::nullopt;
        }
        std::string bytes(size, '\0');
        std::uint64_t done = 0;
        while (done < size) {
            const ssize_t count = ::pread(descriptor_, bytes.data() + done, size - done,
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

  private:
    void close() {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
            descriptor_ = -1;
        }
    }

    int descriptor_;
};

}  // namespace

std::optional<FileVersion> SystemPlatform::readFileVersion(const std::string& path) {
    const PositionalFile file(path);
    if (!file.isOpen()) {
        return std::nullopt;
    }
    const auto version = readElfVersionNote(
        [&file](std::uint64_t offset, std::uint64_t size) { return file.read(offset, size); });
    if (!version) {
        return std::nullopt;
    }
    return FileVersion{(*version)[0], (*version)[1], (*version)[2], (*version)[3]};
}

}  // namespace quarnel
