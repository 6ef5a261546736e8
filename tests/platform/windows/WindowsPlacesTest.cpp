#include <gtest/gtest.h>

#include <fstream>

#include "WindowsTestSupport.h"
#include "platform/SystemPlatform.h"

// Where the Win32 port finds the program's own files, with a scratch folder
// as the current directory: the running program is this test program.
namespace quarnel {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDirectory;
using testing::testProgram;
using testing::utf8;

class WindowsPlacesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        previousDirectory = fs::current_path();
        fs::current_path(scratch.path());
    }
    void TearDown() override { fs::current_path(previousDirectory); }

    void place(const std::string& name) const { std::ofstream(scratch.path() / name) << "x"; }

    ScratchDirectory scratch;
    fs::path previousDirectory;
    SystemPlatform system;
};

// Another copy of Quarnel.exe in the current directory is not the running one.
TEST_F(WindowsPlacesTest, TheProgramFileIsTheRunningProgramWhereverItWasStartedFrom) {
    place("Quarnel.exe");
    EXPECT_EQ(fs::path(system.programFile()), testProgram());
}

TEST_F(WindowsPlacesTest, TheHelpPageIsLookedForHereThenInTheProgramsFolder) {
    EXPECT_EQ(system.installedHelpFolder(), utf8(testProgram().parent_path()));
    EXPECT_EQ(system.helpPageFolders(),
              (std::vector<std::string>{utf8(scratch.path()), utf8(testProgram().parent_path())}));
    EXPECT_EQ(system.helpPage("QuarnelHelp.html"), std::nullopt);

    place("QuarnelHelp.html");
    EXPECT_EQ(system.helpPage("QuarnelHelp.html"), utf8(scratch.path() / "QuarnelHelp.html"));
}

}  // namespace
}  // namespace quarnel
