#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

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
    EXPECT_EQ(system.launchProgram(utf8(program), ""), std::nullopt);
    EXPECT_EQ(waitForFile(record()), "");
}

// A program file is a document whose default action is to run it.
TEST_F(WindowsLaunchTest, OpensADocumentWithTheShellsDefaultAction) {
    std::optional<Refusal> outcome;
    system.openDocument(utf8(program), [&](const Refusal& refusal) { outcome = refusal; });
    EXPECT_EQ(outcome, std::optional<Refusal>(Refusal()));
    EXPECT_EQ(waitForFile(record()), "");
}

// What the shell cannot start is refused with its reason, not assumed running.
TEST_F(WindowsLaunchTest, WhatCannotBeStartedIsRefused) {
    const std::string missing = utf8(program) + ".missing.exe";
    EXPECT_NE(system.launchProgram(missing, ""), std::nullopt);
    std::optional<Refusal> outcome;
    system.openDocument(missing, [&](const Refusal& refusal) { outcome = refusal; });
    ASSERT_TRUE(outcome.has_value());
    EXPECT_NE(*outcome, std::nullopt);
}

// The command interpreter looks for "net.exe" in the current directory first,
// so a recorder under that name there stands in for the service command. It
// ends with the exit code the test writes beside it.
class WindowsServiceCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::copy_file(testing::helperProgram(L"ArgumentRecorder"), scratch.path() / "net.exe");
        previousDirectory = fs::current_path();
        fs::current_path(scratch.path());
    }
    void TearDown() override { fs::current_path(previousDirectory); }

    void netEndsWith(unsigned long exitCode) const {
        std::ofstream(scratch.path() / "net.exe.exitcode") << exitCode;
    }

    // Without a loop the call waits for the command, so the outcome is there
    // when it returns.
    Refusal controlService(TKeeperAction action, const std::string& serviceName) {
        std::optional<Refusal> outcome;
        system.controlService(action, false, serviceName,
                              [&outcome](Refusal refusal) { outcome = std::move(refusal); });
        EXPECT_TRUE(outcome) << "returned before the command had ended";
        return outcome.value_or("no outcome");
    }

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
        EXPECT_EQ(controlService(c.action, c.serviceName), std::nullopt);
        EXPECT_EQ(testing::readWhole(record), c.received);
        fs::remove(record);
    }
}

// net.exe ends with 0 only when it did the job; its own message was in the
// console, which is gone by then, so the exit code is what is told.
TEST_F(WindowsServiceCommandTest, AFailedCommandReportsNetsExitCode) {
    for (const unsigned long exitCode : {2ul, 3534ul}) {
        netEndsWith(exitCode);
        EXPECT_EQ(controlService(TKeeperAction::Stop, "QuarnelTestKeeper"),
                  "net.exe ended with exit code " + std::to_string(exitCode));
    }
}

// The window's loop: the call returns at once, and the outcome comes from a
// later poll, once the command has ended.
class PollingLoop : public EventLoop {
  public:
    void pollUntil(std::function<bool()> finished) override { polls.push_back(finished); }

    std::vector<std::function<bool()>> polls;
};

TEST_F(WindowsServiceCommandTest, WithALoopTheOutcomeComesFromThePollsAfterTheCommandEnded) {
    PollingLoop loop;
    SystemPlatform polled({.loop = &loop});
    netEndsWith(2);
    std::vector<Refusal> outcomes;
    polled.controlService(TKeeperAction::Stop, false, "QuarnelTestKeeper",
                          [&outcomes](Refusal refusal) { outcomes.push_back(std::move(refusal)); });
    EXPECT_TRUE(outcomes.empty()) << "the call waited for the command";
    ASSERT_EQ(loop.polls.size(), 1u);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!loop.polls.front()() && std::chrono::steady_clock::now() < deadline) {
        EXPECT_TRUE(outcomes.empty()) << "an outcome before the command ended";
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(outcomes, std::vector<Refusal>{"net.exe ended with exit code 2"});
    EXPECT_TRUE(fs::exists(scratch.path() / "net.exe.args")) << "the command had not run";
}

}  // namespace
}  // namespace quarnel
