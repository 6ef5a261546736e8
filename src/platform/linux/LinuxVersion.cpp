// The file version of a Linux program file. The build embeds it as an ELF note
// (see cmake/EmbedVersion.cmake): owner "Quarnel", type 1, and four 16-bit
// numbers (major, minor, release, build) in the file's byte order. The note
// lies in a PT_NOTE segment, which stripping keeps.
//
// The file may be anything that happens to carry the program's name, so every
// offset and size read from it is checked against the file before it is used.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <limits>
#include <string_view>

#include "platform/linux/LinuxPlatform.h"

namespace quarnel {
namespace {

constexpr std::string_view kNoteOwner{"Quarnel\0", 8};
constexpr std::uint64_t kVersionNoteType = 1;
constexpr std::uint64_t kVersionSize = 4 * sizeof(std::uint16_t);

// Note segments hold a few small notes; anything larger is not a program's.
constexpr std::uint64_t kLargestNoteSegment = 1 << 20;

constexpr std::uint64_t kProgramHeaderNote = 4;  // PT_NOTE

// Where the fields this reader needs sit in the two ELF classes.
struct ElfLayout {
    std::size_t headerSize;
    std::size_t programHeaderOffsetField;
    std::size_t addressWidth;
    std::size_t programHeaderSizeField;
    std::size_t programHeaderCountField;
    std::size_t programHeaderSize;
    std::size_t segmentOffsetField;
    std::size_t segmentSizeField;
    std::size_t segmentAlignField;
};

constexpr ElfLayout kElf32{52, 28, 4, 42, 44, 32, 4, 16, 28};
constexpr ElfLayout kElf64{64, 32, 8, 54, 56, 56, 8, 32, 48};

// Unsigned fields of the file's byte order, from bytes already bounds-checked.
struct FieldReader {
    bool littleEndian;

    std::uint64_t at(std::string_view bytes, std::size_t offset, std::size_t width) const {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < width; ++i) {
            const std::size_t index = littleEndian ? offset + width - 1 - i : offset + i;
            value = (value << 8) | static_cast<unsigned char>(bytes[index]);
        }
        return value;
    }
};

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

std::uint64_t roundUp(std::uint64_t value, std::uint64_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

// Walks the notes of one note segment. Each note, and the description within
// it, starts at a multiple of the segment's alignment: 8 for segments aligned
// to 8, 4 otherwise.
std::optional<FileVersion> findVersionNote(std::string_view notes, std::uint64_t alignment,
                                           const FieldReader& fields) {
    std::uint64_t position = 0;
    while (position + 12 <= notes.size()) {
        const std::uint64_t ownerSize = fields.at(notes, position, 4);
        const std::uint64_t descriptionSize = fields.at(notes, position + 4, 4);
        const std::uint64_t type = fields.at(notes, position + 8, 4);
        const std::uint64_t ownerStart = position + 12;
        const std::uint64_t descriptionStart = roundUp(ownerStart + ownerSize, alignment);
        if (descriptionStart > notes.size() || descriptionSize > notes.size() - descriptionStart) {
            return std::nullopt;
        }
        if (type == kVersionNoteType && descriptionSize == kVersionSize &&
            notes.substr(ownerStart, ownerSize) == kNoteOwner) {
            const auto number = [&](std::uint64_t index) {
                return static_cast<std::uint16_t>(
                    fields.at(notes, descriptionStart + 2 * index, 2));
            };
            return FileVersion{number(0), number(1), number(2), number(3)};
        }
        position = roundUp(descriptionStart + descriptionSize, alignment);
    }
    return std::nullopt;
}

}  // namespace

std::optional<FileVersion> LinuxPlatform::readFileVersion(const std::string& path) {
    const PositionalFile file(path);
    if (!file.isOpen()) {
        return std::nullopt;
    }
    const std::optional<std::string> ident = file.read(0, 16);
    if (!ident || ident->substr(0, 4) !=
                      "\x7f"
                      "ELF") {
        return std::nullopt;
    }
    const char elfClass = (*ident)[4];
    const char byteOrder = (*ident)[5];
    if ((elfClass != 1 && elfClass != 2) || (byteOrder != 1 && byteOrder != 2)) {
        return std::nullopt;
    }
    const ElfLayout& layout = elfClass == 2 ? kElf64 : kElf32;
    const FieldReader fields{byteOrder == 1};

    const std::optional<std::string> header = file.read(0, layout.headerSize);
    if (!header) {
        return std::nullopt;
    }
    const std::uint64_t tableOffset =
        fields.at(*header, layout.programHeaderOffsetField, layout.addressWidth);
    const std::uint64_t entrySize = fields.at(*header, layout.programHeaderSizeField, 2);
    const std::uint64_t entryCount = fields.at(*header, layout.programHeaderCountField, 2);
    if (entrySize < layout.programHeaderSize) {
        return std::nullopt;
    }

    if (tableOffset > std::numeric_limits<std::uint64_t>::max() - entryCount * entrySize) {
        return std::nullopt;
    }
    for (std::uint64_t index = 0; index < entryCount; ++index) {
        const std::optional<std::string> entry =
            file.read(tableOffset + index * entrySize, layout.programHeaderSize);
        if (!entry) {
            return std::nullopt;
        }
        if (fields.at(*entry, 0, 4) != kProgramHeaderNote) {
            continue;
        }
        const std::uint64_t offset =
            fields.at(*entry, layout.segmentOffsetField, layout.addressWidth);
        const std::uint64_t size = fields.at(*entry, layout.segmentSizeField, layout.addressWidth);
        const std::uint64_t alignment =
            fields.at(*entry, layout.segmentAlignField, layout.addressWidth) == 8 ? 8 : 4;
        if (size > kLargestNoteSegment) {
            continue;
        }
        if (const std::optional<std::string> notes = file.read(offset, size)) {
            if (auto version = findVersionNote(*notes, alignment, fields)) {
                return version;
            }
        }
    }
    return std::nullopt;
}

}  // namespace quarnel
