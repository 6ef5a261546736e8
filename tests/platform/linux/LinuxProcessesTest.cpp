#include <gmock/gmock.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "platform/linux/LinuxPlatform.h"
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

    // A copy of sleep named `name` in the scratch directory.
    std::string dummyProgram(const std::string& name) {
        const std::string path = scratch.file(name);
        fs::copy_file("/bin/sleep", path);
        ::chmod(path.c_str(), 0755);
        return path;
    }

    ProcessId start(const std::string& path) {
        char* const argv[] = {const_cast<char*>(path.c_str()), const_cast<char*>("60"), nullptr};
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

    bool stillRuns(ProcessId id) {
        int status = 0;
        return ::waitpid(static_cast<pid_t>(id), &status, WNOHANG) == 0;
    }

    // Unique per test run, so that no process of anybody else can match.
    const std::string name = "keeper-" + std::to_string(::getpid());
    ScratchDirectory scratch;
    LinuxPlatform system;

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

TEST_F(LinuxProcessesTest, NeverFindsItselfNorAnythingForAnEmptyName) {
    const std::string ownName = fs::read_symlink("/proc/self/exe").filename();
    EXPECT_THAT(system.findProcessesByFileName(ownName),
                Not(Contains(static_cast<ProcessId>(::getpid()))));
    EXPECT_THAT(system.findProcessesByFileName(""), IsEmpty());
    EXPECT_THAT(system.findProcessesByFileName(name), IsEmpty());
}

}  // namespace
}  // namespace quarnel::testing
