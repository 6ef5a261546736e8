#include <gtest/gtest.h>

#include "WindowsTestSupport.h"
#include "platform/FileRules.h"
#include "platform/SystemPlatform.h"
#include "platform/windows/UniqueHandle.h"

namespace quarnel {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::ScratchDirectory;
using testing::utf8;

class WindowsFilesTest : public ::testing::Test {
  protected:
    std::size_t entries() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator{}));
    }

    ScratchDirectory scratch;
    const fs::path settings = scratch.path() / "Quarnel.ini";
    SystemPlatform system;
};

// Line ends and bytes go through untouched: the file is not opened as text.
TEST_F(WindowsFilesTest, AFirstSaveCreatesTheFileAndLeavesNoTemporaryBehind) {
    const std::string contents = "[Program]\r\nActive=1\r\nlone\nend\0x"s;
    ASSERT_EQ(system.replaceFile(utf8(settings), contents), std::nullopt);
    EXPECT_EQ(testing::readWhole(settings), contents);
    EXPECT_EQ(entries(), 1u);
}

TEST_F(WindowsFilesTest, ReplacesAnExistingFileWhole) {
    ASSERT_EQ(system.replaceFile(utf8(settings), "old and longer contents"), std::nullopt);
    ASSERT_EQ(system.replaceFile(utf8(settings), "new"), std::nullopt);
    EXPECT_EQ(system.readFile(utf8(settings)), "new");
    EXPECT_EQ(entries(), 1u);
}

// Another program holding the file open without sharing it makes the
// replace fail; the old contents must survive and the temporary go.
TEST_F(WindowsFilesTest, ARefusedReplaceKeepsTheOldFileAndSaysWhy) {
    ASSERT_EQ(system.replaceFile(utf8(settings), "old"), std::nullopt);
    {
        const UniqueHandle holder(CreateFileW(settings.c_str(), GENERIC_READ, 0, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder.valid());
        const Refusal refusal = system.replaceFile(utf8(settings), "new");
        ASSERT_TRUE(refusal);
        EXPECT_FALSE(refusal->empty());
        EXPECT_EQ(entries(), 1u);
    }
    EXPECT_EQ(system.readFile(utf8(settings)), "old");
}

TEST_F(WindowsFilesTest, AMissingDirectoryIsRefusedAndNothingIsWritten) {
    const Refusal refusal = system.replaceFile(utf8(scratch.path() / "gone" / "Quarnel.ini"), "x");
    ASSERT_TRUE(refusal);
    EXPECT_FALSE(refusal->empty());
    EXPECT_EQ(entries(), 0u);
}

// The journal: appended to, measured and moved aside; bytes go through as
// they are, and an older copy is replaced.
TEST_F(WindowsFilesTest, AJournalIsAppendedToMeasuredAndMovedAside) {
    const fs::path journal = scratch.path() / L"Quarnel \u00e4.log";
    const fs::path older = scratch.path() / L"Quarnel \u00e4.log.1";
    EXPECT_EQ(system.fileSize(utf8(journal)), std::nullopt);
    ASSERT_EQ(system.appendToFile(utf8(journal), "first\n"), std::nullopt);
    ASSERT_EQ(system.appendToFile(utf8(journal), "se\0cond\r\n"s), std::nullopt);
    EXPECT_EQ(testing::readWhole(journal), "first\nse\0cond\r\n"s);
    EXPECT_EQ(system.fileSize(utf8(journal)), 15u);

    ASSERT_EQ(system.replaceFile(utf8(older), "older"), std::nullopt);
    ASSERT_EQ(system.renameReplacing(utf8(journal), utf8(older)), std::nullopt);
    EXPECT_EQ(testing::readWhole(older), "first\nse\0cond\r\n"s);
    EXPECT_EQ(entries(), 1u);

    EXPECT_TRUE(system.renameReplacing(utf8(journal), utf8(older))) << "nothing to move";
    EXPECT_TRUE(system.appendToFile(utf8(scratch.path() / "gone" / "Quarnel.log"), "x\n"));
    EXPECT_EQ(system.fileSize(utf8(scratch.path())), std::nullopt) << "a folder";
}

// A file the user marked read-only keeps its contents and its mark, and the
// refusal says why.
TEST_F(WindowsFilesTest, AFileMarkedReadOnlyIsNotReplaced) {
    ASSERT_EQ(system.replaceFile(utf8(settings), "old"), std::nullopt);
    ASSERT_TRUE(SetFileAttributesW(settings.c_str(), FILE_ATTRIBUTE_READONLY));
    struct Unmark {
        const fs::path& file;
        ~Unmark() { SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL); }
    } unmarkForTheCleanUp{settings};

    EXPECT_EQ(system.replaceFile(utf8(settings), "new"), std::string(kReadOnlyFileRefusal));
    EXPECT_EQ(testing::readWhole(settings), "old");
    EXPECT_NE(GetFileAttributesW(settings.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(entries(), 1u) << "no temporary left";
}

TEST_F(WindowsFilesTest, AMissingFileReadsAsNothing) {
    EXPECT_EQ(system.readFile(utf8(settings)), std::nullopt);
}

// Paths arrive in UTF-8 and must name the same file as the UTF-16 path.
TEST_F(WindowsFilesTest, NonAsciiPathsNameTheSameFileAsTheirUtf16Form) {
    const fs::path folder = scratch.path() / L"Pr\u00fcfung \u00c4\u03a9";
    fs::create_directory(folder);
    const fs::path file = folder / L"Einstellungen \u00df.ini";

    ASSERT_EQ(system.replaceFile(utf8(file), "x"), std::nullopt);
    EXPECT_TRUE(fs::exists(file));
    EXPECT_EQ(system.readFile(utf8(file)), "x");
}

TEST_F(WindowsFilesTest, TheCurrentDirectoryIsReadInFull) {
    const fs::path folder = scratch.path() / L"Arbeitsverzeichnis \u00e4\u03a9";
    fs::create_directory(folder);
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    const std::string current = system.currentDirectory();
    fs::current_path(previous);

    EXPECT_EQ(current, utf8(folder));
}

}  // namespace
}  // namespace quarnel
