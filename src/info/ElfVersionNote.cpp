#include "info/ElfVersionNote.h"

#include <string_view>

namespace quarnel {
namespace {

constexpr std::string_view kNoteOwner{"Quarnel\0", 8};
constexpr std::uint64_t kVersionNoteType = 1;
constexpr std::uint64_t kVersionSize = 4 * sizeof(std::uint16_t);
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

std::uint64_t roundUp(std::uint64_t value, std::uint64_t alignment) {
    return (value + alignment - 1) / alignment * alignment;
}

// Walks the notes of one note segment. Each note, and the description within
// it, starts at a multiple of the segment's alignment: 8 for segments aligned
// to 8, 4 otherwise.
std::optional<std::array<std::uint16_t, 4>> findVersionNote(std::string_view notes,
                                                            std::uint64_t alignment,
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
            return std::array<std::uint16_t, 4>{number(0), number(1), number(2), number(3)};
        }
        position = roundUp(descriptionStart + descriptionSize, alignment);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::array<std::uint16_t, 4>> readElfVersionNote(const ByteSource& read) {
    const std::optional<std::string> ident = read(0, 16);
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

    const std::optional<std::string> header = read(0, layout.headerSize);
    if (!header) {
        return std::nullopt;
    }
    const std::uint64_t tableOffset =
        fields.at(*header, layout.programHeaderOffsetField, layout.addressWidth);
    const std::uint64_t entrySize = fields.at(*header, layout.programHeaderSizeField, 2);
    const std::uint64_t entryCount = fields.at(*header, layout.programHeaderCountField, 2);
    if (entrySize < layout.programHeaderSize ||
        entryCount * entrySize > kLargestProgramHeaderTable) {
        return std::nullopt;
    }
    const std::optional<std::string> table = read(tableOffset, entryCount * entrySize);
    if (!table) {
        return std::nullopt;
    }

    std::uint64_t noteBytesLeft = kMostNoteBytes;
    int noteSegmentsLeft = kMostNoteSegments;
    for (std::uint64_t index = 0; index < entryCount; ++index) {
        const std::string_view entry =
            std::string_view(*table).substr(index * entrySize, layout.programHeaderSize);
        if (fields.at(entry, 0, 4) != kProgramHeaderNote) {
            continue;
        }
        const std::uint64_t offset =
            fields.at(entry, layout.segmentOffsetField, layout.addressWidth);
        const std::uint64_t size = fields.at(entry, layout.segmentSizeField, layout.addressWidth);
        const std::uint64_t alignment =
            fields.at(entry, layout.segmentAlignField, layout.addressWidth) == 8 ? 8 : 4;
        if (noteSegmentsLeft == 0) {
            return std::nullopt;
        }
        if (size > noteBytesLeft) {
            continue;  // read nothing of a segment beyond what is left to read
        }
        --noteSegmentsLeft;
        noteBytesLeft -= size;
        if (const std::optional<std::string> notes = read(offset, size)) {
            if (auto version = findVersionNote(*notes, alignment, fields)) {
                return version;
            }
        }
    }
    return std::nullopt;
}

}  // namespace quarnel
