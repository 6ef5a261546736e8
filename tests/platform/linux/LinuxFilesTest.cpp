#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/FileRules.h"
#include "platform/SystemPlatform.h"
#include "platform/linux/ScratchSupport.h"
#include "platform/linux/UniqueFd.h"

namespace quarnel {
namespace {

namespace fs = std::filesystem;
using testing::outputAsUnprivilegedUser;

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

    // Runs a replace in a child process that, when this one is root, drops to
    // the unprivileged user "nobody", for whom permissions are enforced.
    // Returns the refusal reason, or "" when the replace succeeded.
    std::string replaceAsUnprivilegedUser(const std::string& path, const std::string& contents) {
        return outputAsUnprivilegedUser(
            [&] { return system.replaceFile(path, contents).value_or(""); });
    }

    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(directory)) {
            names.push_back(entry.path().filename());
        }
        return names;
    }

    fs::path directory;
    SystemPlatform system;
};

TEST_F(LinuxFilesTest, ReplacesAFileWholeAndLeavesNoTemporaryBehind) {
    const std::string path = directory / "Quarnel.ini";
    ASSERT_FALSE(system.replaceFile(path, "old"));
    ASSERT_FALSE(system.replaceFile(path, "new contents\n"));

    EXPECT_EQ(system.readFile(path), "new contents\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(directory), fs::directory_iterator{}), 1);
}

TEST_F(LinuxFilesTest, ARefusedReplaceKeepsTheOldFileAndSaysWhy) {
    const std::string path = directory / "Quarnel.ini";
    const std::string old = "[Program]\r\nActiveTAB=3\r\n\xFF\xFE odd bytes\n";
    ASSERT_FALSE(system.replaceFile(path, old));
    ::chmod(path.c_str(), 0644);
    ::chmod(directory.c_str(), 0555);

    EXPECT_EQ(replaceAsUnprivilegedUser(path, "new"), "Permission denied");
    EXPECT_EQ(system.readFile(path), old);
    EXPECT_EQ(entries(), std::vector<std::string>{"Quarnel.ini"});
}

// Failures that hold for root too: the name taken by a directory, and a
// directory path that runs through a regular file.
TEST_F(LinuxFilesTest, ARenameThatFailsLeavesNoTemporaryBehind) {
    const fs::path taken = directory / "Quarnel.ini";
    fs::create_directory(taken);
    std::ofstream(taken / "inside") << "untouched";

    EXPECT_EQ(system.replaceFile(taken, "new"), "Is a directory");
    EXPECT_EQ(entries(), std::vector<std::string>{"Quarnel.ini"});
    EXPECT_EQ(system.readFile(taken / "inside"), "untouched");
}

TEST_F(LinuxFilesTest, ADirectoryPathThroughAFileIsRefused) {
    std::ofstream(directory / "plain") << "plain";
    EXPECT_EQ(system.replaceFile(directory / "plain" / "Quarnel.ini", "x"), "Not a directory");
    EXPECT_EQ(system.readFile(directory / "plain"), "plain");
}

TEST_F(LinuxFilesTest, AReplacedFileKeepsItsPermissionsAndANewOneFollowsTheUmask) {
    const std::string kept = directory / "private.ini";
    ASSERT_FALSE(system.replaceFile(kept, "old"));
    ::chmod(kept.c_str(), 0600);
    ASSERT_FALSE(system.replaceFile(kept, "new"));
    EXPECT_EQ(fs::status(kept).permissions(), fs::perms(0600));

    const mode_t previous = ::umask(022);
    const std::string fresh = directory / "fresh.ini";
    ASSERT_FALSE(system.replaceFile(fresh, "new"));
    ::umask(previous);
    EXPECT_EQ(fs::status(fresh).permissions(), fs::perms(0644));
}

// Renaming over a file needs only the folder's permission; a file the user
// may not write to is refused all the same: the user made it read-only to
// keep it. Root writes to every file, and so replaces it.
TEST_F(LinuxFilesTest, AFileTheUserMayNotWriteToIsNotReplaced) {
    ::chmod(directory.c_str(), 0777);
    const std::pair<mode_t, std::string> cases[] = {
        {0444, std::string(kReadOnlyFileRefusal)},
        {0666, "replaced"},
    };
    for (const auto& [mode, outcome] : cases) {
        const std::string path = directory / "Quarnel.ini";
        std::ofstream(path) << "old";
        ::chmod(path.c_str(), mode);
        EXPECT_EQ(replaceAsUnprivilegedUser(path, "new"), outcome == "replaced" ? "" : outcome)
            << std::oct << mode;
        EXPECT_EQ(system.readFile(path), outcome == "replaced" ? "new" : "old") << std::oct << mode;
        EXPECT_EQ(entries(), std::vector<std::string>{"Quarnel.ini"}) << std::oct << mode;
        fs::remove(path);
    }
    const std::string path = directory / "Quarnel.ini";
    std::ofstream(path) << "old";
    ::chmod(path.c_str(), 0444);
    if (::geteuid() == 0) {
        EXPECT_EQ(system.replaceFile(path, "new"), std::nullopt) << "root";
        EXPECT_EQ(system.readFile(path), "new");
        EXPECT_EQ(fs::status(path).permissions(), fs::perms(0444));
    }
}

TEST_F(LinuxFilesTest, AMissingDirectoryIsRefused) {
    EXPECT_EQ(system.replaceFile(directory / "gone" / "Quarnel.ini", "x"),
              "No such file or directory");
}

TEST_F(LinuxFilesTest, WhatCannotBeReadReadsAsNothing) {
    EXPECT_FALSE(system.readFile(directory / "absent"));
    EXPECT_FALSE(system.readFile(directory)) << "a directory";

    // Neither may hold up the start: a FIFO nobody writes to, an endless device.
    const fs::path fifo = directory / "Quarnel.ini";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(system.readFile(fifo)) << "a FIFO";
    const fs::path endless = directory / "zeros";
    fs::create_symlink("/dev/zero", endless);
    EXPECT_FALSE(system.readFile(endless)) << "a device";
}

struct LinkCase {
    const char* what;
    const char* link;    // the link's text
    const char* target;  // the file it ends in, from the test's directory
};

class LinuxFilesLinkTest : public LinuxFilesTest, public ::testing::WithParamInterface<LinkCase> {};

// A link the user made to keep the file elsewhere stays a link: the file it
// ends in is replaced, in that file's directory, and keeps its permissions.
TEST_P(LinuxFilesLinkTest, AReplaceThroughALinkReplacesTheFileItPointsTo) {
    const LinkCase& c = GetParam();
    fs::create_directories(directory / "elsewhere" / "deeper");
    fs::create_symlink("elsewhere/deeper", directory / "hop");
    fs::create_symlink("actual.ini", directory / "second");
    const fs::path target = directory / c.target;
    std::ofstream(target) << "old";
    ::chmod(target.c_str(), 0640);
    const fs::path link = directory / "Quarnel.ini";
    fs::create_symlink(c.link, link);

    ASSERT_EQ(system.replaceFile(link, "new"), std::nullopt) << c.what;

    EXPECT_TRUE(fs::is_symlink(link)) << c.what;
    EXPECT_EQ(fs::read_symlink(link), c.link) << c.what;
    EXPECT_EQ(system.readFile(target), "new") << c.what;
    EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640)) << c.what;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(directory)) {
        EXPECT_EQ(entry.path().filename().string().find(".ini."), std::string::npos)
            << "a temporary was left: " << entry.path() << " " << c.what;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinuxFilesLinkTest,
    ::testing::Values(
        LinkCase{"relative", "elsewhere/deeper/settings.ini", "elsewhere/deeper/settings.ini"},
        LinkCase{"through a linked directory", "hop/settings.ini", "elsewhere/deeper/settings.ini"},
        LinkCase{"to a link in the same directory", "second", "actual.ini"}));

TEST_F(LinuxFilesTest, AnAbsoluteLinkAndALinkThatPointsNowhereAreFollowed) {
    const fs::path absolute = directory / "absolute.ini";
    fs::create_symlink(directory / "real.ini", absolute);
    const fs::path dangling = directory / "dangling.ini";
    fs::create_symlink("later.ini", dangling);

    EXPECT_TRUE(system.fileIsMissing(dangling)) << "a link that points nowhere is missing";
    ASSERT_EQ(system.replaceFile(absolute, "a"), std::nullopt);
    ASSERT_EQ(system.replaceFile(dangling, "d"), std::nullopt);

    EXPECT_TRUE(fs::is_symlink(absolute));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(system.readFile(directory / "real.ini"), "a");
    EXPECT_EQ(system.readFile(directory / "later.ini"), "d");
}

struct PlantedLinkCase {
    const char* what;
    uid_t linkOwner;
    mode_t folderMode;  // of the folder holding the link, owned by root
    bool asNobody;      // the user running Quarnel: nobody, else root
    bool followed;
};

class LinuxFilesPlantedLinkTest : public LinuxFilesTest,
                                  public ::testing::WithParamInterface<PlantedLinkCase> {};

// A link in a folder others may write to may have been put there by one of
// them, aimed at the user's own file: the user's settings would overwrite it.
// Only a link of the user or of root, or one in a folder nobody else may
// write to, is followed; the kernel's own protection (sticky folders,
// fs.protected_symlinks) does not cover links read with readlink.
TEST_P(LinuxFilesPlantedLinkTest, OnlyATrustedLinkIsReadOrWrittenThrough) {
    const PlantedLinkCase& c = GetParam();
    if (::geteuid() != 0) {
        GTEST_SKIP() << "giving a link to another user needs root";
    }
    ::chmod(directory.c_str(), 0755);
    const fs::path home = directory / "home";
    const fs::path shared = directory / "shared";
    fs::create_directory(home);
    fs::create_directory(shared);
    ::chmod(shared.c_str(), c.folderMode);
    const fs::path notes = home / "notes.txt";
    std::ofstream(notes) << "my notes";
    const fs::path later = home / "later.ini";
    const uid_t user = c.asNobody ? 65534 : 0;
    ASSERT_EQ(::chown(home.c_str(), user, user), 0);
    ASSERT_EQ(::chown(notes.c_str(), user, user), 0);
    const fs::path link = shared / "Quarnel.ini";
    const fs::path dangling = shared / "Dangling.ini";
    fs::create_symlink(notes, link);
    fs::create_symlink(later, dangling);
    ASSERT_EQ(::lchown(link.c_str(), c.linkOwner, c.linkOwner), 0);
    ASSERT_EQ(::lchown(dangling.c_str(), c.linkOwner, c.linkOwner), 0);

    const auto attempt = [&] {
        std::string outcome = system.readFile(link).value_or("nothing");
        outcome += "|" + system.replaceFile(link, "settings").value_or("replaced");
        outcome += "|" + system.appendToFile(link, "+line").value_or("appended");
        return outcome + "|" + system.replaceFile(dangling, "first").value_or("replaced");
    };
    const std::string outcome = c.asNobody ? outputAsUnprivilegedUser(attempt) : attempt();

    const std::string refused(kForeignLinkRefusal);
    if (c.followed) {
        EXPECT_EQ(outcome, "my notes|replaced|appended|replaced") << c.what;
        EXPECT_EQ(testing::readWhole(notes), "settings+line") << c.what;
        EXPECT_EQ(testing::readWhole(later), "first") << c.what;
    } else {
        EXPECT_EQ(outcome, "nothing|" + refused + "|" + refused + "|" + refused) << c.what;
        EXPECT_EQ(testing::readWhole(notes), "my notes") << c.what;
        EXPECT_FALSE(fs::exists(later)) << c.what;
        EXPECT_EQ(std::distance(fs::directory_iterator(home), fs::directory_iterator{}), 1)
            << "a temporary was left " << c.what;
    }
    EXPECT_TRUE(fs::is_symlink(link)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinuxFilesPlantedLinkTest,
    ::testing::Values(
        PlantedLinkCase{"another user's, in a folder all may write to", 65534, 0777, false, false},
        PlantedLinkCase{"another user's, in a sticky folder", 65534, 01777, false, false},
        PlantedLinkCase{"another user's, in a folder its group may write to", 65534, 0775, false,
                        false},
        PlantedLinkCase{"root's, for another user", 0, 0777, true, true},
        PlantedLinkCase{"the user's own, in a folder all may write to", 65534, 0777, true, true},
        PlantedLinkCase{"another user's, in a folder only root writes to", 65534, 0755, false,
                        true}));

TEST_F(LinuxFilesTest, ALoopOfLinksIsRefused) {
    fs::create_symlink("b", directory / "a");
    fs::create_symlink("a", directory / "b");
    EXPECT_EQ(system.replaceFile(directory / "a", "x"), "Too many levels of symbolic links");
    EXPECT_TRUE(fs::is_symlink(directory / "a"));
}

TEST_F(LinuxFilesTest, OnlyNothingAtAllIsMissing) {
    std::ofstream(directory / "plain") << "plain";
    const fs::path unreadable = directory / "unreadable";
    std::ofstream(unreadable) << "x";
    ::chmod(unreadable.c_str(), 0);
    const std::pair<fs::path, bool> cases[] = {
        {directory / "absent", true},
        {directory / "absent" / "deeper", true},
        {directory / "plain" / "below a file", true},
        {directory / "plain", false},
        {unreadable, false},
        {directory, false},
    };
    for (const auto& [path, missing] : cases) {
        EXPECT_EQ(system.fileIsMissing(path), missing) << path;
    }
}

TEST_F(LinuxFilesTest, AnAppendAddsAtTheEndAndMakesAMissingFileAsTheUmaskSays) {
    const std::string path = directory / "Quarnel.log";
    const mode_t previous = ::umask(027);
    ASSERT_EQ(system.appendToFile(path, "first\n"), std::nullopt);
    ::umask(previous);
    ASSERT_EQ(system.appendToFile(path, std::string("se\0cond\n", 8)), std::nullopt);

    EXPECT_EQ(system.readFile(path), std::string("first\nse\0cond\n", 14));
    EXPECT_EQ(system.fileSize(path), 14U);
    EXPECT_EQ(fs::status(path).permissions(), fs::perms(0640));
}

// Nothing but a regular file takes a line, and nothing holds the window up:
// not a FIFO without a reader, nor one with a reader that never reads.
TEST_F(LinuxFilesTest, AnAppendToWhatIsNoRegularFileIsRefused) {
    const fs::path fifo = directory / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(system.appendToFile(fifo, "x\n"), "No such device or address");
    const UniqueFd reader(::open(fifo.c_str(), O_RDONLY | O_NONBLOCK));
    ASSERT_TRUE(reader.valid());
    EXPECT_EQ(system.appendToFile(fifo, "x\n"), "not a regular file");

    EXPECT_EQ(system.appendToFile(directory, "x\n"), "Is a directory");
    EXPECT_EQ(system.appendToFile(directory / "gone" / "Quarnel.log", "x\n"),
              "No such file or directory");
}

TEST_F(LinuxFilesTest, ARefusedAppendLeavesTheFileAsItWas) {
    const std::string path = directory / "Quarnel.log";
    ASSERT_EQ(system.appendToFile(path, "kept\n"), std::nullopt);
    ::chmod(path.c_str(), 0444);
    ::chmod(directory.c_str(), 0755);
    EXPECT_EQ(outputAsUnprivilegedUser(
                  [&] { return system.appendToFile(path, "more\n").value_or("appended"); }),
              "Permission denied");
    EXPECT_EQ(system.readFile(path), "kept\n");
}

TEST_F(LinuxFilesTest, OnlyARegularFileHasASize) {
    std::ofstream(directory / "empty");
    EXPECT_EQ(system.fileSize(directory / "empty"), 0U);
    EXPECT_EQ(system.fileSize(directory / "absent"), std::nullopt);
    EXPECT_EQ(system.fileSize(directory), std::nullopt);
    fs::create_symlink("absent", directory / "dangling");
    EXPECT_EQ(system.fileSize(directory / "dangling"), std::nullopt);
}

TEST_F(LinuxFilesTest, ARenameReplacesTheFileOfTheNewName) {
    const std::string journal = directory / "Quarnel.log";
    const std::string older = directory / "Quarnel.log.1";
    std::ofstream(journal) << "newer";
    std::ofstream(older) << "older";

    ASSERT_EQ(system.renameReplacing(journal, older), std::nullopt);
    EXPECT_EQ(system.readFile(older), "newer");
    EXPECT_EQ(entries(), std::vector<std::string>{"Quarnel.log.1"});

    EXPECT_EQ(system.renameReplacing(journal, older), "No such file or directory");
    EXPECT_EQ(system.readFile(older), "newer");
}

TEST_F(LinuxFilesTest, ReadsEveryByte) {
    const std::string bytes = std::string("\xFF\xFE\0\r\n", 5) + std::string(200'000, 'x');
    std::ofstream(directory / "bytes", std::ios::binary) << bytes;
    EXPECT_EQ(system.readFile(directory / "bytes"), bytes);
}

// Every way out of a file operation, read or write, success or refusal,
// closes what it opened: a descriptor left behind by each save or start
// would pile up in a program that runs for days.
TEST_F(LinuxFilesTest, NoOperationLeavesADescriptorOpen) {
    const auto openDescriptors = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{});
    };
    const fs::path fifo = directory / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string path = directory / "Quarnel.ini";
    const auto before = openDescriptors();

    ASSERT_FALSE(system.replaceFile(path, "contents"));
    EXPECT_EQ(system.readFile(path), "contents");
    EXPECT_FALSE(system.readFile(directory));
    EXPECT_FALSE(system.readFile(fifo));
    EXPECT_FALSE(system.readFile(directory / "absent"));
    EXPECT_TRUE(system.replaceFile(directory, "x")) << "a directory cannot be replaced";
    EXPECT_FALSE(system.appendToFile(path, "line\n"));
    EXPECT_TRUE(system.appendToFile(fifo, "line\n")) << "a FIFO takes no line";
    EXPECT_FALSE(system.readFileVersion(path)) << "not a program";
    EXPECT_FALSE(system.readFileVersion(directory));
    EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
}  // namespace quarnel
