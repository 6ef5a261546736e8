#include <gtest/gtest.h>

#include "WindowsTestSupport.h"
#include "platform/SystemPlatform.h"

// The launches go through the shell for real; the launched program records
// the arguments it received in a file beside itself.
namespace quarnel {
namespace {

namespace fs = std::filesystem;
using testing::ScratchDirectory;
using testing::utf8;
using testing::waitForFile;

class WindowsLaunchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directory(scratch.path() / "folder with blanks");
        program = scratch.path() / "folder with blanks" / "recorder.exe";
        fs::copy_file(testing::helperProgram(L"ArgumentRecorder"), program);
    }

    fs::path record() const { return fs::path(program) += ".args"; }

    ScratchDirectory scratch;
    fs::path program;
    SystemPlatform system;
};

TEST_F(WindowsLaunchTest, LaunchesAProgramWithItsParameters) {
    system.launchProgram(utf8(program), R"(-sync "second arg" 3)");
    EXPECT_EQ(waitForFile(record()), "-sync\nsecond arg\n3\n");
}

TEST_F(WindowsLaunchTest, LaunchesAProgramWithoutParameters) {
    system.launchProgram(utf8(program), "");
    EXPECT_EQ(waitForFile(record()), "");
}

// A program file is a document whose default action is to run it.
TEST_F(WindowsLaunchTest, OpensADocumentWithTheShellsDefaultAction) {
    system.openDocument(utf8(program));
    EXPECT_EQ(waitForFile(record()), "");
}

// The command interpreter looks for "net.exe" in the current directory first,
// so a recorder under that name there stands in for the service command.
class WindowsServiceCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::copy_file(testing::helperProgram(L"ArgumentRecorder"), scratch.path() / "net.exe");
        previousDirectory = fs::current_path();
        fs::current_path(scratch.path());
    }
    void TearDown() override { fs::current_path(previousDirectory); }

    ScratchDirectory scratch;
    fs::path previousDirectory;
    SystemPlatform system;
};

struct ServiceCase {
    TKeeperAction action;
    std::string serviceName;
    std::string received;
};

// Verbose ("/K") keeps the console open until the user closes it, so only the
// closing form runs here; the parameter text of both is tested on its own.
TEST_F(WindowsServiceCommandTest, RunsNetWithTheActionAndTheNameAsTyped) {
    const ServiceCase cases[] = {
        {TKeeperAction::Stop, "QuarnelTestKeeper", "stop\nQuarnelTestKeeper\n"},
        {TKeeperAction::Start, "QuarnelTestKeeper", "start\nQuarnelTestKeeper\n"},
        // The name gets no quotes of its own: net.exe sees its words apart.
        {TKeeperAction::Stop, "Quarnel Test Keeper", "stop\nQuarnel\nTest\nKeeper\n"},
    };
    const fs::path record = scratch.path() / "net.exe.args";
    for (const ServiceCase& c : cases) {
        SCOPED_TRACE(c.serviceName);
        system.controlService(c.action, false, c.serviceName);
        EXPECT_EQ(waitForFile(record), c.received);
        fs::remove(record);
    }
}

}  // namespace
}  // namespace quarnel
