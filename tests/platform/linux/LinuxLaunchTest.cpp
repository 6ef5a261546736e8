#include <gmock/gmock.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

#include "platform/SystemPlatform.h"
#include "platform/linux/ScratchSupport.h"

namespace quarnel::testing {
namespace {

// Launches and service commands against stand-in programs of the test's own:
// each records its arguments, one "[...]" line each, and its session id, then
// leaves a marker that it is done.
class LinuxLaunchTest : public ::testing::Test {
  protected:
    // A stand-in program `name` in the scratch directory; `then` runs after
    // the recording.
    std::string recorder(const std::string& name, const std::string& then = "") {
        const std::string path = scratch.file(name);
        writeExecutable(path,
                        "#!/bin/sh\n"
                        "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '" +
                            path +
                            ".args'\n"
                            "(read -r stat < /proc/$$/stat; set -- $stat; echo \"$6\") > '" +
                            path +
                            ".session'\n"
                            ": > '" +
                            path + ".done'\n" + then);
        return path;
    }

    // The arguments `name` recorded, once it is done.
    std::string argumentsOf(const std::string& name) {
        const std::string done = scratch.file(name + ".done");
        if (!waitUntil([&] { return fs::exists(done); })) {
            return name + " did not run";
        }
        return readWhole(scratch.file(name + ".args"));
    }

    // True when this process has no child left, running or waiting to be reaped.
    static bool hasNoChildren() {
        errno = 0;
        return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
    }

    ScratchDirectory scratch;
    const std::string trap = scratch.file("x");
    SystemPlatform system;
};

TEST_F(LinuxLaunchTest, LaunchesDetachedWithParametersSplitLikeAShellLine) {
    const std::string program = recorder("keeper");

    system.launchProgram(program,
                         "plain \"two words\" 'single $HOME' back\\ slash \"q\\\"uote\" '' "
                         "$(touch " +
                             trap + ")");
    EXPECT_TRUE(hasNoChildren()) << "the launch left a child of ours behind";

    EXPECT_EQ(argumentsOf("keeper"),
              "[plain]\n[two words]\n[single $HOME]\n[back slash]\n"
              "[q\"uote]\n[]\n[$(touch]\n[" +
                  trap + ")]\n");
    EXPECT_NE(std::stoi(readWhole(scratch.file("keeper.session"))), ::getsid(0))
        << "the program shares our session";
    EXPECT_FALSE(fs::exists(trap));
}

// Sets environment variables for the code under test and takes them away.
class ScopedVariables {
  public:
    explicit ScopedVariables(std::vector<std::pair<std::string, std::string>> variables)
        : m_variables(std::move(variables)) {
        for (const auto& [name, value] : m_variables) {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
    }
    ~ScopedVariables() {
        for (const auto& [name, value] : m_variables) {
            ::unsetenv(name.c_str());
        }
    }
    ScopedVariables(const ScopedVariables&) = delete;
    ScopedVariables& operator=(const ScopedVariables&) = delete;

  private:
    std::vector<std::pair<std::string, std::string>> m_variables;
};

// What was loaded into Quarnel (a preloaded library, a library path) must not
// be loaded into the time keeper. The values name nothing that exists, so
// that nothing is loaded into the test's own programs either.
TEST_F(LinuxLaunchTest, TheLaunchedProgramGetsOurEnvironmentWithoutTheLoadersVariables) {
    const std::string program = scratch.file("keeper");
    writeExecutable(program,
                    "#!/bin/sh\nenv > '" + program + ".env'\n: > '" + program + ".done'\n");
    const ScopedVariables variables({{"LD_LIBRARY_PATH", scratch.file("no-libraries")},
                                     {"LD_AUDIT", ""},
                                     {"QUARNEL_E2E_TRIAL", "1"},
                                     {"QUARNEL_ANY_SETTING", ""},
                                     {"KEEPER_SETTING", "kept"}});
    system.launchProgram(program, "");
    ASSERT_TRUE(waitUntil([&] { return fs::exists(program + ".done"); }));

    const std::string environment = readWhole(program + ".env");
    EXPECT_THAT(environment, ::testing::HasSubstr("KEEPER_SETTING=kept\n"));
    EXPECT_THAT(environment, ::testing::HasSubstr("PATH="));
    for (const char* name : {"LD_LIBRARY_PATH=", "LD_AUDIT=", "QUARNEL_"}) {
        EXPECT_THAT(environment, ::testing::Not(::testing::HasSubstr(name))) << name;
    }
}

TEST_F(LinuxLaunchTest, ABareProgramNameIsFoundOnThePath) {
    recorder("keeper");
    const ScopedSearchPath path(scratch.path().string());

    system.launchProgram("keeper", "");
    EXPECT_EQ(argumentsOf("keeper"), "");
}

TEST_F(LinuxLaunchTest, AQuoteLeftOpenIsRefusedAndNothingStarts) {
    const std::string program = recorder("keeper");
    EXPECT_EQ(system.launchProgram(program, "--name 'My Clock"), Refusal(kQuoteLeftOpen));
    EXPECT_TRUE(hasNoChildren()) << "a refused launch started something";
}

struct ServiceCase {
    TKeeperAction action;
    bool verbose;
    const char* expectedVerb;
};

class LinuxServiceTest : public LinuxLaunchTest,
                         public ::testing::WithParamInterface<ServiceCase> {};

// With no terminal on the path, a verbose command runs as a quiet one. Its
// end is awaited (here, without a loop, by the call) and its child reaped.
TEST_P(LinuxServiceTest, RunsSystemctlWithTheNameAsOneArgument) {
    const ServiceCase& c = GetParam();
    recorder("systemctl");
    const ScopedSearchPath path(scratch.path().string());

    std::optional<Refusal> outcome;
    system.controlService(c.action, c.verbose, "a b;touch " + trap,
                          [&](const Refusal& refusal) { outcome = refusal; });

    EXPECT_EQ(outcome, std::optional<Refusal>(Refusal()));
    EXPECT_TRUE(hasNoChildren());
    EXPECT_EQ(argumentsOf("systemctl"),
              std::string("[") + c.expectedVerb + "]\n[--]\n[a b;touch " + trap + "]\n");
    EXPECT_FALSE(fs::exists(trap));
}

INSTANTIATE_TEST_SUITE_P(Cases, LinuxServiceTest,
                         ::testing::Values(ServiceCase{TKeeperAction::Stop, false, "stop"},
                                           ServiceCase{TKeeperAction::Start, false, "start"},
                                           ServiceCase{TKeeperAction::Stop, true, "stop"},
                                           ServiceCase{TKeeperAction::Start, true, "start"}));

// The stand-in terminal runs its command as a terminal would, with a SHELL
// that ends at once instead of waiting for the user.
TEST_F(LinuxLaunchTest, VerboseRunsTheCommandInATerminalThatStaysOpen) {
    recorder("x-terminal-emulator", "shift\nSHELL=/bin/true exec \"$@\"\n");
    recorder("systemctl");
    const ScopedSearchPath path(scratch.path().string() + ":/usr/bin:/bin");

    system.controlService(TKeeperAction::Stop, true, "a b;touch " + trap, [](const Refusal&) {});

    EXPECT_EQ(argumentsOf("x-terminal-emulator"),
              "[-e]\n[sh]\n[-c]\n[\"$@\"; exec \"${SHELL:-sh}\"]\n[sh]\n[systemctl]\n[stop]\n[--]\n"
              "[a b;touch " +
                  trap + "]\n");
    EXPECT_EQ(argumentsOf("systemctl"), "[stop]\n[--]\n[a b;touch " + trap + "]\n");
    EXPECT_FALSE(fs::exists(trap));
}

// A keeper that cannot be started is reported, not assumed running.
TEST_F(LinuxLaunchTest, AProgramThatCannotBeStartedIsRefusedWithTheReason) {
    const std::string notExecutable = scratch.file("plain file");
    std::ofstream(notExecutable) << "#!/bin/sh\n";
    const struct {
        std::string path;
        std::string reason;
    } cases[] = {
        {scratch.file("missing"), scratch.file("missing") + " could not be started: No such file "
                                                            "or directory"},
        {notExecutable, notExecutable + " could not be started: Permission denied"},
        {scratch.file("absent/"), scratch.file("absent/") + " could not be started: No such "
                                                            "file or directory"},
        {"no-such-program-anywhere", "no-such-program-anywhere was not found"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(system.launchProgram(c.path, ""), Refusal(c.reason)) << c.path;
    }
    EXPECT_TRUE(hasNoChildren());
}

// What systemctl says when it fails is the reason; a command that says
// nothing is known by its exit status, and a missing one by its name.
TEST_F(LinuxLaunchTest, AFailingServiceCommandReportsWhy) {
    const struct {
        const char* name;
        const char* body;  // nullptr: no systemctl at all
        const char* reason;
    } cases[] = {
        {"its last line of error output",
         "echo 'Warning: something' >&2; echo 'Failed to stop x.service: Access denied' >&2; "
         "exit 4\n",
         "Failed to stop x.service: Access denied"},
        {"its exit status", "exit 5\n", "systemctl ended with exit status 5"},
        {"its signal", "kill -TERM $$\n", "systemctl ended by signal 15"},
        {"no such command", nullptr, "systemctl was not found"},
    };
    for (const auto& c : cases) {
        const std::string stub = scratch.file("systemctl");
        fs::remove(stub);
        if (c.body != nullptr) {
            recorder("systemctl", c.body);
        }
        const ScopedSearchPath path(scratch.path().string());
        std::optional<Refusal> outcome;
        system.controlService(TKeeperAction::Stop, false, "x",
                              [&](const Refusal& refusal) { outcome = refusal; });
        EXPECT_EQ(outcome, std::optional<Refusal>(Refusal(c.reason))) << c.name;
        EXPECT_TRUE(hasNoChildren()) << c.name;
    }
}

// The service manager on the bus is asked first, by the unit's full name;
// only when nobody answers there does systemctl run.
class ServiceManagerDouble : public ServiceManager {
  public:
    explicit ServiceManagerDouble(ServiceAnswer answer) : answer_(std::move(answer)) {}
    void controlUnit(TKeeperAction action, const std::string& unit, ServiceAnswered done) override {
        asked.push_back((action == TKeeperAction::Stop ? "stop " : "start ") + unit);
        done(answer_);
    }
    std::vector<std::string> asked;

  private:
    ServiceAnswer answer_;
};

TEST_F(LinuxLaunchTest, TheServiceManagerIsAskedBeforeSystemctl) {
    using Outcome = ServiceAnswer::Outcome;
    const struct {
        const char* name;
        ServiceAnswer answer;
        Refusal outcome;
        bool systemctlRuns;
    } cases[] = {
        {"done", {Outcome::Done, {}}, std::nullopt, false},
        {"refused", {Outcome::Refused, "Access denied"}, "Access denied", false},
        {"nobody there", {Outcome::Unavailable, {}}, std::nullopt, true},
    };
    for (const auto& c : cases) {
        fs::remove(scratch.file("systemctl.done"));
        recorder("systemctl");
        const ScopedSearchPath path(scratch.path().string());
        ServiceManagerDouble manager(c.answer);
        SystemPlatform asking({.serviceManager = &manager});
        std::optional<Refusal> outcome;
        asking.controlService(TKeeperAction::Start, false, "chronyd",
                              [&](const Refusal& refusal) { outcome = refusal; });
        EXPECT_EQ(outcome, std::optional<Refusal>(c.outcome)) << c.name;
        EXPECT_EQ(manager.asked, std::vector<std::string>{"start chronyd.service"}) << c.name;
        EXPECT_EQ(fs::exists(scratch.file("systemctl.done")), c.systemctlRuns) << c.name;
    }
}

// xdg-open's own word decides: it says when no program could open the target.
TEST_F(LinuxLaunchTest, DocumentsGoToXdgOpenWhichSaysWhetherItCould) {
    const struct {
        const char* then;
        Refusal outcome;
    } cases[] = {
        {"", std::nullopt},
        {"echo 'xdg-open: no method available for opening x' >&2; exit 3\n",
         "xdg-open: no method available for opening x"},
    };
    for (const auto& c : cases) {
        fs::remove(scratch.file("xdg-open.done"));
        recorder("xdg-open", c.then);
        const ScopedSearchPath path(scratch.path().string());
        std::optional<Refusal> outcome;
        system.openDocument("/home/op/Quarnel Help.html",
                            [&](const Refusal& refusal) { outcome = refusal; });
        EXPECT_EQ(argumentsOf("xdg-open"), "[/home/op/Quarnel Help.html]\n");
        EXPECT_EQ(outcome, std::optional<Refusal>(c.outcome)) << c.then;
    }
    EXPECT_TRUE(hasNoChildren());
}

}  // namespace
}  // namespace quarnel::testing
