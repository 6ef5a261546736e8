// The file version of a Linux program file, read from the version note that
// the build embeds (info/ElfVersionNote). The file may be anything that
// happens to carry the program's name.
#include <cstdint>

#include "info/ElfVersionNote.h"
#include "platform/SystemPlatform.h"
#include "platform/linux/RegularFile.h"

namespace quarnel {

std::optional<FileVersion> SystemPlatform::readFileVersion(const std::string& path) {
    const std::optional<RegularFile> file = RegularFile::open(path);
    if (!file) {
        return std::nullopt;
    }
    const auto version = readElfVersionNote(
        [&file](std::uint64_t offset, std::uint64_t size) { return file->readAt(offset, size); });
    if (!version) {
        return std::nullopt;
    }
    return FileVersion{(*version)[0], (*version)[1], (*version)[2], (*version)[3]};
}

}  // namespace quarnel
