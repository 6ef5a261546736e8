#include <gmock/gmock.h>
#include <linux/sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <sstream>
#include <vector>

#include "platform/SystemPlatform.h"
#include "platform/linux/ScratchSupport.h"

namespace quarnel::testing {
namespace {

using ::testing::Contains;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::UnorderedElementsAre;

// Copies of a harmless program under names of this test's own, started and
// always ended by the test itself.
class LinuxProcessesTest : public ::testing::Test {
  protected:
    void TearDown() override {
        for (const pid_t pid : m_started) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }

    // A copy of sleep named `fileName` in the scratch directory.
    std::string dummyProgram(const std::string& fileName) {
        const std::string path = scratch.file(fileName);
        fs::copy_file("/bin/sleep", path);
        ::chmod(path.c_str(), 0755);
        return path;
    }

    ProcessId start(const std::string& path) { return start(path, path); }

    ProcessId start(const std::string& path, const std::string& firstArgument) {
        char* const argv[] = {const_cast<char*>(firstArgument.c_str()), const_cast<char*>("60"),
                              nullptr};
        pid_t pid = 0;
        // posix_spawn returns once the program runs, so /proc names it at once.
        EXPECT_EQ(::posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv, environ), 0);
        m_started.push_back(pid);
        return static_cast<ProcessId>(pid);
    }

    // How the process ended, waiting a bounded time; nothing if it still runs.
    std::optional<int> endOf(ProcessId id) {
        const pid_t pid = static_cast<pid_t>(id);
        int status = 0;
        if (!waitUntil([&] { return ::waitpid(pid, &status, WNOHANG) == pid; })) {
            return std::nullopt;
        }
        std::erase(m_started, pid);
        return status;
    }

    // Starts the program under exactly this process id (a root-only use of
    // clone3); nothing when the system refuses it.
    std::optional<ProcessId> startWithId(const std::string& path, pid_t id) {
        char* const argv[] = {const_cast<char*>(path.c_str()), const_cast<char*>("60"), nullptr};
        clone_args arguments{};
        arguments.exit_signal = SIGCHLD;
        arguments.set_tid = reinterpret_cast<std::uintptr_t>(&id);
        arguments.set_tid_size = 1;
        const long pid = ::syscall(SYS_clone3, &arguments, sizeof arguments);
        if (pid == 0) {
            ::execv(path.c_str(), argv);
            ::_exit(127);
        }
        if (pid < 0) {
            return std::nullopt;
        }
        m_started.push_back(static_cast<pid_t>(pid));
        return static_cast<ProcessId>(pid);
    }

    // What the search finds when run by the unprivileged user "nobody", who
    // cannot read the executable of the processes this test (root) started.
    std::vector<ProcessId> findAsUnprivilegedUser(const std::string& fileName) {
        const std::string text = outputAsUnprivilegedUser([&] {
            std::string ids;
            for (const ProcessId id : SystemPlatform().findProcessesByFileName(fileName)) {
                ids += std::to_string(id) + " ";
            }
            return ids;
        });
        std::vector<ProcessId> ids;
        std::istringstream words(text);
        for (ProcessId id = 0; words >> id;) {
            ids.push_back(id);
        }
        return ids;
    }

    bool stillRuns(ProcessId id) {
        int status = 0;
        return ::waitpid(static_cast<pid_t>(id), &status, WNOHANG) == 0;
    }

    // Unique per test run, so that no process of anybody else can match.
    const std::string name = "keeper-" + std::to_string(::getpid());
    ScratchDirectory scratch;
    SystemPlatform system;

  private:
    std::vector<pid_t> m_started;
};

TEST_F(LinuxProcessesTest, StopEndsEveryCopyAndSparesOtherNames) {
    const std::string program = dummyProgram(name);
    const ProcessId first = start(program);
    const ProcessId second = start(program);
    const ProcessId containing = start(dummyProgram("my" + name));
    const ProcessId contained = start(dummyProgram(name.substr(1)));

    const std::vector<ProcessId> found = system.findProcessesByFileName(name);
    ASSERT_THAT(found, UnorderedElementsAre(first, second));
    for (const ProcessId id : found) {
        system.terminateProcess(id);
    }

    for (const ProcessId id : {first, second}) {
        const std::optional<int> status = endOf(id);
        ASSERT_TRUE(status) << id << " still runs";
        EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGTERM) << id;
    }
    EXPECT_TRUE(stillRuns(containing));
    EXPECT_TRUE(stillRuns(contained));
}

TEST_F(LinuxProcessesTest, AProgramWhoseFileWasReplacedIsStillFound) {
    const std::string program = dummyProgram(name);
    const ProcessId running = start(program);
    fs::remove(program);

    EXPECT_THAT(system.findProcessesByFileName(name), UnorderedElementsAre(running));
}

// A file may carry the mark the kernel adds to a deleted program's path.
TEST_F(LinuxProcessesTest, TheDeletedMarkIsTakenOffOnlyForADeletedProgram) {
    const std::string marked = dummyProgram(name + " (deleted)");
    const ProcessId running = start(marked);

    EXPECT_THAT(system.findProcessesByFileName(name), IsEmpty());
    EXPECT_THAT(system.findProcessesByFileName(name + " (deleted)"), UnorderedElementsAre(running));

    fs::remove(marked);
    EXPECT_THAT(system.findProcessesByFileName(name + " (deleted)"), UnorderedElementsAre(running));
    EXPECT_THAT(system.findProcessesByFileName(name), IsEmpty());
}

struct DisguiseCase {
    const char* what;
    std::string fileName;       // of the executable
    std::string firstArgument;  // argv[0]
    std::string searched;
};

// The command name (the executable's name cut to 15 characters) and the first
// argument are the process's to choose; a process whose executable cannot be
// read is never matched by them.
TEST_F(LinuxProcessesTest, OnlyAnExecutableThatCanBeReadIsMatched) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root, to start processes another user cannot look into";
    }
    const std::string longName = name + "-long-executable";
    const DisguiseCase cases[] = {
        {"the command name", name, name, name},
        {"a cut command name completed by the first argument", longName,
         longName.substr(0, 15) + "-disguise", longName.substr(0, 15) + "-disguise"},
        {"the executable itself", longName, longName, longName},
    };
    for (const DisguiseCase& c : cases) {
        const std::string path = scratch.file(c.fileName);
        if (!fs::exists(path)) {
            dummyProgram(c.fileName);
        }
        const ProcessId hidden = start(path, c.firstArgument);
        EXPECT_THAT(findAsUnprivilegedUser(c.searched), IsEmpty()) << c.what;
        EXPECT_THAT(system.findProcessesByFileName(c.fileName), Contains(hidden)) << c.what;
    }
}

// The id of a listed process that ended is given to a new process of the
// same program before the terminate: the new process must not be hit.
TEST_F(LinuxProcessesTest, AProcessThatTookOverAListedIdIsNotTerminated) {
    const std::string program = dummyProgram(name);
    const ProcessId listed = start(program);
    ASSERT_THAT(system.findProcessesByFileName(name), UnorderedElementsAre(listed));
    ::kill(static_cast<pid_t>(listed), SIGKILL);
    ASSERT_TRUE(endOf(listed));

    const std::optional<ProcessId> successor = startWithId(program, static_cast<pid_t>(listed));
    if (!successor) {
        GTEST_SKIP() << "cannot start a process under a chosen id here: " << std::strerror(errno);
    }
    ASSERT_EQ(*successor, listed);
    system.terminateProcess(listed);

    // A SIGTERM sent before this SIGKILL would have ended the process first.
    ::kill(static_cast<pid_t>(*successor), SIGKILL);
    const std::optional<int> status = endOf(*successor);
    ASSERT_TRUE(status);
    EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGKILL)
        << "the successor was terminated";
}

TEST_F(LinuxProcessesTest, NeverFindsItselfNorAnythingForAnEmptyName) {
    const std::string ownName = fs::read_symlink("/proc/self/exe").filename();
    EXPECT_THAT(system.findProcessesByFileName(ownName),
                Not(Contains(static_cast<ProcessId>(::getpid()))));
    EXPECT_THAT(system.findProcessesByFileName(""), IsEmpty());
    EXPECT_THAT(system.findProcessesByFileName(name), IsEmpty());
}

}  // namespace
}  // namespace quarnel::testing
