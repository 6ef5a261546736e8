// The version note reader on ELF images made in memory: both classes, both
// byte orders, notes that do not count, sizes and offsets that point outside
// the image, and files crafted to make it read without end. Programs that the
// build made are read back in the platform tests.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "info/ElfVersionNote.h"

namespace quarnel {
namespace {

using Version = std::array<std::uint16_t, 4>;

const Version kFixtureVersion{2, 1, 0, 15};

// The image's bytes as a file would give them: nothing past its end.
ByteSource bytesOf(const std::string& image) {
    return [image](std::uint64_t offset, std::uint64_t size) -> std::optional<std::string> {
        if (offset > image.size() || size > image.size() - offset) {
            return std::nullopt;
        }
        return image.substr(offset, size);
    };
}

TEST(ElfVersionNoteTest, RandomBytesBehindAnElfIdentificationHaveNoVersion) {
    std::mt19937 random(73);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 50; ++round) {
        std::string garbage(4096, '\0');
        for (char& c : garbage) {
            c = static_cast<char>(byte(random));
        }
        garbage.replace(0, 6,
                        round % 2 ? "\x7f"
                                    "ELF\x02\x01"
                                  : "\x7f"
                                    "ELF\x01\x02");
        EXPECT_EQ(readElfVersionNote(bytesOf(garbage)), std::nullopt) << round;
    }
}

struct Note {
    std::string owner;  // with its terminating zero
    std::uint32_t type;
    std::string description;
};

struct ElfShape {
    bool is64 = true;
    bool littleEndian = true;
    std::uint64_t noteAlignment = 4;
};

class ImageWriter {
  public:
    explicit ImageWriter(bool littleEndian) : littleEndian_(littleEndian) {}

    void put(std::string& bytes, std::size_t offset, std::uint64_t value, std::size_t width) const {
        if (bytes.size() < offset + width) {
            bytes.resize(offset + width, '\0');
        }
        for (std::size_t i = 0; i < width; ++i) {
            const std::size_t shift = 8 * (littleEndian_ ? i : width - 1 - i);
            bytes[offset + i] = static_cast<char>((value >> shift) & 0xFF);
        }
    }

    std::string notes(const std::vector<Note>& notes, std::uint64_t alignment) const {
        std::string bytes;
        for (const Note& note : notes) {
            const std::size_t start = bytes.size();
            put(bytes, start, note.owner.size(), 4);
            put(bytes, start + 4, note.description.size(), 4);
            put(bytes, start + 8, note.type, 4);
            bytes += note.owner;
            bytes.resize((bytes.size() + alignment - 1) / alignment * alignment, '\0');
            bytes += note.description;
            bytes.resize((bytes.size() + alignment - 1) / alignment * alignment, '\0');
        }
        return bytes;
    }

    std::string versionNumbers(const Version& version) const {
        std::string bytes;
        for (std::size_t i = 0; i < version.size(); ++i) {
            put(bytes, 2 * i, version[i], 2);
        }
        return bytes;
    }

  private:
    bool littleEndian_;
};

// An ELF header, one PT_NOTE program header and the notes behind them.
std::string elfImage(const ElfShape& shape, const std::vector<Note>& notes) {
    const ImageWriter writer(shape.littleEndian);
    const std::size_t word = shape.is64 ? 8 : 4;
    const std::size_t headerSize = shape.is64 ? 64 : 52;
    const std::size_t entrySize = shape.is64 ? 56 : 32;
    const std::string noteBytes = writer.notes(notes, shape.noteAlignment);

    std::string image =
        "\x7f"
        "ELF";
    image += shape.is64 ? '\x02' : '\x01';
    image += shape.littleEndian ? '\x01' : '\x02';
    image += '\x01';
    image.resize(headerSize, '\0');
    writer.put(image, shape.is64 ? 32 : 28, headerSize, word);  // e_phoff
    writer.put(image, shape.is64 ? 54 : 42, entrySize, 2);      // e_phentsize
    writer.put(image, shape.is64 ? 56 : 44, 1, 2);              // e_phnum
    const std::size_t entry = headerSize;
    writer.put(image, entry, 4, 4);  // p_type PT_NOTE
    writer.put(image, entry + (shape.is64 ? 8 : 4), headerSize + entrySize, word);  // p_offset
    writer.put(image, entry + (shape.is64 ? 32 : 16), noteBytes.size(), word);      // p_filesz
    writer.put(image, entry + (shape.is64 ? 48 : 28), shape.noteAlignment, word);   // p_align
    image.resize(headerSize + entrySize, '\0');
    return image + noteBytes;
}

std::vector<Note> notesWithVersion(const ElfShape& shape, const Version& version) {
    const ImageWriter writer(shape.littleEndian);
    return {{std::string("GNU\0", 4), 1, std::string(4, '\x01')},
            {std::string("Quarnel\0", 8), 1, writer.versionNumbers(version)}};
}

TEST(ElfVersionNoteTest, ReadsBothElfClassesBothByteOrdersAndBothNoteAlignments) {
    const ElfShape shapes[] = {
        {true, true, 4}, {true, false, 4}, {false, true, 4}, {false, false, 4}, {true, true, 8},
    };
    for (const ElfShape& shape : shapes) {
        const std::string image = elfImage(shape, notesWithVersion(shape, kFixtureVersion));
        EXPECT_EQ(readElfVersionNote(bytesOf(image)), kFixtureVersion)
            << "64-bit " << shape.is64 << ", little-endian " << shape.littleEndian << ", alignment "
            << shape.noteAlignment;
    }
}

TEST(ElfVersionNoteTest, OnlyAQuarnelVersionNoteOfEightBytesCounts) {
    const ElfShape shape;
    const std::string numbers = ImageWriter(true).versionNumbers(kFixtureVersion);
    const std::vector<Note> others[] = {
        {{std::string("Quarnel\0", 8), 2, numbers}},               // another type
        {{std::string("Quarnel\0", 8), 1, numbers.substr(0, 6)}},  // three numbers
        {{std::string("Quarnel\0", 8), 1, numbers + numbers}},     // eight numbers
        {{std::string("quarnel\0", 8), 1, numbers}},               // another owner
        {{std::string("Quarnel", 7), 1, numbers}},                 // owner not terminated
        {{std::string("QuarnelX\0", 9), 1, numbers}},              // owner longer
    };
    for (const std::vector<Note>& notes : others) {
        EXPECT_EQ(readElfVersionNote(bytesOf(elfImage(shape, notes))), std::nullopt)
            << notes.front().owner << " type " << notes.front().type << ", "
            << notes.front().description.size() << " bytes";
    }
}

TEST(ElfVersionNoteTest, SizesThatPointOutsideTheFileGiveNoVersion) {
    const ElfShape shape;
    const std::string image = elfImage(shape, notesWithVersion(shape, kFixtureVersion));
    const ImageWriter writer(true);
    struct Damage {
        const char* what;
        std::size_t offset;
        std::uint64_t value;
        std::size_t width;
    };
    const std::size_t notes = 64 + 56;
    const Damage damages[] = {
        {"program headers far behind the end", 32, 0xFFFFFFFFFFFFFF00, 8},
        {"program headers just behind the end", 32, image.size(), 8},
        {"program headers too small", 54, 8, 2},
        {"notes behind the end", 64 + 8, 0xFFFFFFFFFFFFFFF0, 8},
        {"notes larger than the file", 64 + 32, image.size(), 8},
        {"notes of 4 GiB", 64 + 32, 0xFFFFFFFF, 8},
        {"first owner of 4 GiB", notes, 0xFFFFFFFF, 4},
        {"first description of 4 GiB", notes + 4, 0xFFFFFFFF, 4},
        {"first description just too long", notes + 4, 0xFFFF, 4},
    };
    for (const Damage& damage : damages) {
        std::string damaged = image;
        writer.put(damaged, damage.offset, damage.value, damage.width);
        EXPECT_EQ(readElfVersionNote(bytesOf(damaged)), std::nullopt) << damage.what;
    }
}

// A 64-bit little-endian image with one PT_NOTE program header for each of
// `segments`, in that order, each segment's bytes behind the table.
std::string elfImageWithNoteSegments(const std::vector<std::string>& segments) {
    const ImageWriter writer(true);
    std::string image =
        "\x7f"
        "ELF\x02\x01\x01";
    image.resize(64, '\0');
    writer.put(image, 32, 64, 8);               // e_phoff
    writer.put(image, 54, 56, 2);               // e_phentsize
    writer.put(image, 56, segments.size(), 2);  // e_phnum
    std::size_t offset = 64 + 56 * segments.size();
    image.resize(offset, '\0');
    for (std::size_t i = 0; i < segments.size(); ++i) {
        const std::size_t entry = 64 + 56 * i;
        writer.put(image, entry, 4, 4);
        writer.put(image, entry + 8, offset, 8);
        writer.put(image, entry + 32, segments[i].size(), 8);
        writer.put(image, entry + 48, 4, 8);
        offset += segments[i].size();
    }
    for (const std::string& segment : segments) {
        image += segment;
    }
    return image;
}

// Reading stops at a fixed amount of notes, whatever the file claims, so a
// crafted file cannot hold up the start: a version note behind that amount is
// not looked for.
TEST(ElfVersionNoteTest, NotesBeyondTheReadingLimitsAreNotLookedThrough) {
    const ElfShape shape;
    const std::string version =
        ImageWriter(true).notes(notesWithVersion(shape, kFixtureVersion), 4);
    const std::string junk = ImageWriter(true).notes({{std::string("GNU\0", 4), 3, "abcd"}}, 4);
    const std::string megabyte(kMostNoteBytes, '\0');

    struct Case {
        const char* what;
        std::vector<std::string> segments;
        std::optional<Version> expected;
    };
    std::vector<std::string> manySegments(kMostNoteSegments, junk);
    manySegments.push_back(version);
    std::vector<std::string> fewSegments(kMostNoteSegments - 1, junk);
    fewSegments.push_back(version);
    const Case cases[] = {
        {"after as many segments as are read", manySegments, std::nullopt},
        {"in the last segment that is read", fewSegments, kFixtureVersion},
        {"after all the note bytes that are read", {megabyte, version}, std::nullopt},
        {"after a segment too large to read", {megabyte + "x", version}, kFixtureVersion},
        {"filling the note bytes exactly",
         {std::string(kMostNoteBytes - version.size(), '\0'), version},
         kFixtureVersion},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(readElfVersionNote(bytesOf(elfImageWithNoteSegments(c.segments))), c.expected)
            << c.what;
    }
}

// The file of an audit: 65,535 program headers, each naming the same note
// segment of almost 1 MiB, held up the start for minutes.
TEST(ElfVersionNoteTest, AProgramHeaderTableLargerThanAnyProgramsIsNotRead) {
    std::vector<std::string> segments(65'535);
    segments.front() = std::string(kMostNoteBytes - 1, '\0');
    std::string image = elfImageWithNoteSegments(segments);
    const ImageWriter writer(true);
    for (std::size_t i = 0; i < segments.size(); ++i) {
        writer.put(image, 64 + 56 * i + 8, 64 + 56 * segments.size(), 8);
        writer.put(image, 64 + 56 * i + 32, segments.front().size(), 8);
    }
    EXPECT_EQ(readElfVersionNote(bytesOf(image)), std::nullopt);

    // Also with a table as large as may be read, every header naming the
    // largest note segment: the reader asks for little more than the limits.
    const std::size_t headers = kLargestProgramHeaderTable / 56;
    image = elfImageWithNoteSegments(std::vector<std::string>(headers));
    image += std::string(kMostNoteBytes, '\0');
    for (std::size_t i = 0; i < headers; ++i) {
        writer.put(image, 64 + 56 * i + 8, 64 + 56 * headers, 8);
        writer.put(image, 64 + 56 * i + 32, kMostNoteBytes / 2, 8);
    }
    std::uint64_t requested = 0;
    const ByteSource bytes = bytesOf(image);
    const auto version = readElfVersionNote([&](std::uint64_t offset, std::uint64_t size) {
        requested += size;
        return bytes(offset, size);
    });
    EXPECT_EQ(version, std::nullopt);
    EXPECT_LE(requested, 64 + kLargestProgramHeaderTable + kMostNoteBytes);
}

}  // namespace
}  // namespace quarnel
