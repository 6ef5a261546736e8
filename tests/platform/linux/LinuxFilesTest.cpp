#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/linux/LinuxPlatform.h"

namespace quarnel {
namespace {

namespace fs = std::filesystem;

class LinuxFilesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/quarnel-files-XXXXXX";
        directory = ::mkdtemp(pattern);
    }
    void TearDown() override {
        ::chmod(directory.c_str(), 0700);
        fs::remove_all(directory);
    }

    fs::path directory;
    LinuxPlatform system;
};

TEST_F(LinuxFilesTest, ReplacesAFileWholeAndLeavesNoTemporaryBehind) {
    const std::string path = directory / "Quarnel.ini";
    ASSERT_FALSE(system.replaceFile(path, "old"));
    ASSERT_FALSE(system.replaceFile(path, "new contents\n"));

    EXPECT_EQ(system.readFile(path), "new contents\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(directory), fs::directory_iterator{}), 1);
}

TEST_F(LinuxFilesTest, ARefusedReplaceKeepsTheOldFileAndSaysWhy) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only directories";
    }
    const std::string path = directory / "Quarnel.ini";
    ASSERT_FALSE(system.replaceFile(path, "old"));
    ::chmod(directory.c_str(), 0500);

    EXPECT_EQ(system.replaceFile(path, "new"), "Permission denied");
    EXPECT_EQ(system.readFile(path), "old");
}

TEST_F(LinuxFilesTest, AMissingDirectoryIsRefused) {
    EXPECT_EQ(system.replaceFile(directory / "gone" / "Quarnel.ini", "x"),
              "No such file or directory");
}

TEST_F(LinuxFilesTest, AMissingFileReadsAsNothing) {
    EXPECT_FALSE(system.readFile(directory / "absent"));
}

}  // namespace
}  // namespace quarnel
