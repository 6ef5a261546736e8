// Where the Linux port keeps the settings and finds the help page and its own
// program file: in a scratch directory that becomes the current directory,
// with HOME and XDG_CONFIG_HOME set by each test.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/SystemPlatform.h"
#include "platform/linux/ScratchSupport.h"

namespace quarnel::testing {
namespace {

class LinuxPlacesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previous = fs::current_path();
        fs::create_directory(start());
        fs::current_path(start());
    }
    void TearDown() override { fs::current_path(previous); }

    std::string start() const { return scratch.file("start"); }
    void place(const std::string& path) { std::ofstream(path) << "x"; }

    ScratchDirectory scratch;
    fs::path previous;
    SystemPlatform system;
};

TEST_F(LinuxPlacesTest, TheSettingsLiveInTheUsersConfigurationFolder) {
    const std::string home = scratch.file("home");
    const struct {
        const char* what;
        std::optional<std::string> configHome;
        std::string expected;
    } cases[] = {
        {"XDG_CONFIG_HOME set", scratch.file("config"), scratch.file("config/quarnel/Quarnel.ini")},
        {"XDG_CONFIG_HOME unset", std::nullopt, home + "/.config/quarnel/Quarnel.ini"},
        {"XDG_CONFIG_HOME empty", "", home + "/.config/quarnel/Quarnel.ini"},
        {"XDG_CONFIG_HOME relative", "config", home + "/.config/quarnel/Quarnel.ini"},
    };
    const ScopedVariable homeVariable("HOME", home);
    for (const auto& [what, configHome, expected] : cases) {
        const ScopedVariable configVariable("XDG_CONFIG_HOME", configHome);
        EXPECT_EQ(system.settingsFile("Quarnel.ini"), expected) << what;
    }
}

TEST_F(LinuxPlacesTest, ASettingsFileInTheCurrentDirectoryWins) {
    const ScopedVariable configVariable("XDG_CONFIG_HOME", scratch.file("config"));
    place(start() + "/Quarnel.ini");
    EXPECT_EQ(system.settingsFile("Quarnel.ini"), start() + "/Quarnel.ini");
}

// The configuration folder and Quarnel's folder in it may both be missing on
// a new account; they are made private to the user, as the settings are, by
// the first save or already at the start, when the lock is put beside the
// settings file.
TEST_F(LinuxPlacesTest, TheMissingSettingsFoldersAreMadePrivate) {
    const struct {
        const char* what;
        std::function<void(SystemPlatform&, const std::string&)> make;
    } ways[] = {
        {"the first save",
         [](SystemPlatform& platform, const std::string& path) {
             ASSERT_EQ(platform.replaceFile(path, "[Program]\n"), std::nullopt);
             EXPECT_EQ(readWhole(path), "[Program]\n");
         }},
        {"the start", [](SystemPlatform& platform,
                         const std::string& path) { platform.makeSettingsFolder(path); }},
    };
    for (const auto& [what, make] : ways) {
        fs::remove_all(scratch.file("new"));
        const ScopedVariable configVariable("XDG_CONFIG_HOME", scratch.file("new/config"));
        make(system, system.settingsFile("Quarnel.ini"));
        for (const char* folder : {"new", "new/config", "new/config/quarnel"}) {
            struct stat status {};
            ASSERT_EQ(::stat(scratch.file(folder).c_str(), &status), 0) << what << ": " << folder;
            EXPECT_EQ(status.st_mode & 0777, 0700U) << what << ": " << folder;
        }
    }
}

// The journal beside the settings may be written before the settings are.
TEST_F(LinuxPlacesTest, TheFirstJournalLineMakesTheMissingFoldersToo) {
    const ScopedVariable configVariable("XDG_CONFIG_HOME", scratch.file("new/config"));
    const std::string path = scratch.file("new/config/quarnel/Quarnel.log");
    ASSERT_EQ(system.appendToFile(path, "line\n"), std::nullopt);
    EXPECT_EQ(readWhole(path), "line\n");
    for (const char* folder : {"new", "new/config", "new/config/quarnel"}) {
        struct stat status {};
        ASSERT_EQ(::stat(scratch.file(folder).c_str(), &status), 0) << folder;
        EXPECT_EQ(status.st_mode & 0777, 0700U) << folder;
    }
    EXPECT_EQ(system.appendToFile(start() + "/gone/Quarnel.log", "line\n"),
              "No such file or directory")
        << "outside the configuration folder no folder is made";
}

// A portable folder that is gone is not made again.
TEST_F(LinuxPlacesTest, NoFolderIsMadeOutsideTheConfigurationFolder) {
    const ScopedVariable configVariable("XDG_CONFIG_HOME", scratch.file("config"));
    system.makeSettingsFolder(scratch.file("gone/Quarnel.ini"));
    EXPECT_FALSE(fs::exists(scratch.file("gone")));
}

TEST_F(LinuxPlacesTest, TheHelpPageOfTheCurrentDirectoryWins) {
    place(start() + "/QuarnelHelp.html");
    EXPECT_EQ(system.helpPage("QuarnelHelp.html"), start() + "/QuarnelHelp.html");
}

// The installed copy is looked for from the running program's real folder:
// this test program's, which is not installed, so no page is found.
TEST_F(LinuxPlacesTest, TheInstalledHelpFolderIsFoundFromTheRunningProgram) {
    const fs::path program = fs::read_symlink("/proc/self/exe");
    const std::optional<std::string> installed = system.installedHelpFolder();
    ASSERT_TRUE(installed);
    EXPECT_EQ(fs::path(*installed).lexically_normal(),
              (program.parent_path() / QUARNEL_DOCUMENTS_FROM_PROGRAM).lexically_normal());
    EXPECT_EQ(system.helpPageFolders(), (std::vector<std::string>{start(), *installed}));
    EXPECT_EQ(system.helpPage("QuarnelHelp.html"), std::nullopt);
}

// The running program is the file whose version counts, also when the current
// directory holds a program of the same name.
TEST_F(LinuxPlacesTest, TheProgramFileIsTheRunningProgram) {
    place(start() + "/quarnel");
    EXPECT_EQ(fs::canonical(system.programFile()), fs::canonical("/proc/self/exe"));
}

}  // namespace
}  // namespace quarnel::testing
