// What Platform.h promises of files, held against SystemPlatform on each
// system (on Linux, and on Windows under Wine): a link in front of the
// settings file stays one, a file larger than the limit is not read, and a
// name that holds no regular file is neither read nor replaced.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/FileContractSupport.h"
#include "platform/FileRules.h"
#include "platform/SystemPlatform.h"

namespace quarnel {
namespace {

namespace fs = std::filesystem;
using testing::pathText;

std::string contentsOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void write(const fs::path& file, const std::string& contents) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << contents;
}

class FileContractTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::random_device seed;
        do {
            scratch = fs::temp_directory_path() / ("quarnel-contract-" + std::to_string(seed()));
        } while (!fs::create_directory(scratch));
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
    }

    std::vector<std::string> names(const fs::path& folder) const {
        std::vector<std::string> found;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            found.push_back(entry.path().filename().string());
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    fs::path scratch;
    SystemPlatform system;
};

// The user keeps the settings elsewhere and links them into the working
// folder: a save writes the file the link leads to, in its folder, and the
// link still leads there afterwards.
TEST_F(FileContractTest, AReplaceThroughALinkReplacesTheFileItLeadsTo) {
    fs::create_directory(scratch / "kept");
    const fs::path target = scratch / "kept" / "Quarnel.ini";
    const fs::path link = scratch / "Quarnel.ini";
    write(target, "old");
    ASSERT_TRUE(testing::makeSymbolicLink(fs::path("kept") / "Quarnel.ini", link));
    const struct RemovedLink {
        const fs::path& link;
        ~RemovedLink() { testing::removeSymbolicLink(link); }
    } removedAtTheEnd{link};

    EXPECT_EQ(system.readFile(pathText(link)), "old");
    ASSERT_EQ(system.replaceFile(pathText(link), "new"), std::nullopt);
    EXPECT_EQ(contentsOf(target), "new");
    EXPECT_EQ(names(scratch / "kept"), std::vector<std::string>{"Quarnel.ini"}) << "no temporary";

    write(target, "written through the folder it was kept in");
    EXPECT_EQ(system.readFile(pathText(link)), "written through the folder it was kept in")
        << "the link still leads to the file";
}

// A file of the limit's size is read whole; one byte more and nothing is
// read, the file is there all the same and stays as it was.
TEST_F(FileContractTest, AFileLargerThanTheLimitIsNotRead) {
    const fs::path settings = scratch / "Quarnel.ini";
    write(settings, "");
    fs::resize_file(settings, kLargestReadableFile);
    const std::optional<std::string> whole = system.readFile(pathText(settings));
    ASSERT_TRUE(whole);
    EXPECT_EQ(whole->size(), kLargestReadableFile);

    fs::resize_file(settings, kLargestReadableFile + 1);
    EXPECT_EQ(system.readFile(pathText(settings)), std::nullopt);
    EXPECT_FALSE(system.fileIsMissing(pathText(settings)));
    EXPECT_EQ(fs::file_size(settings), kLargestReadableFile + 1);
}

// A folder or a device where the settings file or the journal should be:
// nothing is read from it or written to it, nothing takes its name, and no
// temporary stays behind.
TEST_F(FileContractTest, ANameThatHoldsNoRegularFileIsNeitherReadNorReplaced) {
    fs::create_directory(scratch / "folder");
    const struct {
        const char* what;
        fs::path name;
    } cases[] = {
        {"a folder", scratch / "folder"},
        {"a device", testing::deviceIn(scratch)},
    };
    const std::vector<std::string> before = names(scratch);
    for (const auto& c : cases) {
        const std::string name = pathText(c.name);
        EXPECT_EQ(system.readFile(name), std::nullopt) << c.what;
        EXPECT_EQ(system.fileSize(name), std::nullopt) << c.what;
        EXPECT_TRUE(system.appendToFile(name, "journal line\n")) << c.what;
        EXPECT_TRUE(system.replaceFile(name, "[Program]\n")) << c.what;
        EXPECT_FALSE(system.fileIsMissing(name)) << c.what;
        EXPECT_EQ(names(scratch), before) << c.what;
    }
    EXPECT_TRUE(fs::is_directory(scratch / "folder"));
    EXPECT_TRUE(fs::is_empty(scratch / "folder"));
}

}  // namespace
}  // namespace quarnel
