// Reading the version note back from program files: real programs built with
// quarnel_embed_version() (tests/platform/CMakeLists.txt), and files that are
// damaged or are no programs at all. The reader's own cases, on images made in
// memory, are in tests/info/ElfVersionNoteTest.cpp.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/SystemPlatform.h"

namespace quarnel {
namespace {

namespace fs = std::filesystem;

const FileVersion kFixtureVersion{2, 1, 0, 15};
const FileVersion kLargestVersion{65535, 65535, 65535, 65535};

std::string readWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

// Where the version note of a program file ends: its owner "Quarnel\0" is
// followed by the eight bytes of the four numbers.
std::size_t versionNoteEnd(const std::string& program) {
    const std::size_t owner = program.find(std::string_view("Quarnel\0", 8));
    return owner == std::string::npos ? 0 : owner + 8 + 8;
}

class LinuxVersionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quarnel-version-XXXXXX";
        directory = ::mkdtemp(pattern);
    }
    void TearDown() override { fs::remove_all(directory); }

    std::string write(const std::string& name, const std::string& contents) {
        const std::string path = directory / name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
        return path;
    }

    fs::path directory;
    SystemPlatform system;
};

TEST_F(LinuxVersionTest, ReadsTheNumbersThatTheBuildEmbedded) {
    EXPECT_EQ(system.readFileVersion(QUARNEL_FIXTURE_VERSION_2_1_0_15), kFixtureVersion);
    EXPECT_EQ(system.readFileVersion(QUARNEL_FIXTURE_VERSION_LARGEST), kLargestVersion);
}

TEST_F(LinuxVersionTest, FilesWithoutTheNoteHaveNoVersion) {
    ::mkfifo((directory / "fifo").c_str(), 0600);  // opening it for reading must not wait
    fs::create_directory(directory / "folder");
    const std::string paths[] = {
        QUARNEL_FIXTURE_WITHOUT_VERSION,  // a program with the toolchain's notes only
        directory / "absent",
        write("empty", ""),
        write("script", "#!/bin/sh\necho Quarnel\n"),
        write("magic-only",
              "\x7f"
              "ELF"),
        directory / "fifo",
        directory / "folder",
    };
    for (const std::string& path : paths) {
        EXPECT_EQ(system.readFileVersion(path), std::nullopt) << path;
    }
}

TEST_F(LinuxVersionTest, AProgramCutShortBeforeTheEndOfItsNoteHasNoVersion) {
    const std::string program = readWholeFile(QUARNEL_FIXTURE_VERSION_2_1_0_15);
    const std::size_t noteEnd = versionNoteEnd(program);
    ASSERT_GT(noteEnd, 0U);

    for (std::size_t length = 0; length < noteEnd; ++length) {
        const std::string path = write("cut", program.substr(0, length));
        ASSERT_EQ(system.readFileVersion(path), std::nullopt) << "cut after " << length << " bytes";
    }
    EXPECT_EQ(system.readFileVersion(write("whole", program)), kFixtureVersion);
}

// Any byte in front of the version numbers overwritten (the headers, the
// other notes, the version note's own header): the result is the right
// version or none, never a wrong one, and the reader stays inside the file.
TEST_F(LinuxVersionTest, DamageInFrontOfTheNumbersNeverGivesAWrongVersion) {
    const std::string program = readWholeFile(QUARNEL_FIXTURE_VERSION_2_1_0_15);
    const std::size_t numbersStart = versionNoteEnd(program) - 8;
    ASSERT_GT(numbersStart, 64U);

    for (std::size_t at = 0; at < numbersStart; ++at) {
        for (const char damage : {'\x00', '\xff', '\x7f'}) {
            std::string damaged = program;
            damaged[at] = damage;
            const std::optional<FileVersion> version =
                system.readFileVersion(write("damaged", damaged));
            ASSERT_TRUE(!version || *version == kFixtureVersion) << "byte " << at;
        }
    }
}

}  // namespace
}  // namespace quarnel
