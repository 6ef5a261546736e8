#include "platform/linux/DetachedSpawn.h"

#include "platform/linux/LaunchEnvironment.h"
#include "platform/linux/UniqueFd.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace quarnel {
namespace {

// execvp's search path when PATH is not set.
constexpr std::string_view kDefaultSearchPath = "/bin:/usr/bin";

bool isExecutableFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

// Runs in the grandchild, between fork and exec, where only async-signal-safe
// calls are allowed: everything it uses was prepared before the first fork.
// When exec fails, its error number goes back through `failures`, which the
// exec closes when it succeeds.
[[noreturn]] void execDetached(const char* path, char* const argv[], char* const envp[],
                               int failures) {
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);

    const int nothing = ::open("/dev/null", O_RDONLY);
    if (nothing > 0) {
        ::dup2(nothing, STDIN_FILENO);
    }
    // Everything but the error channel goes; it is closed by a successful exec.
    if (failures > 3) {
        ::close_range(3, static_cast<unsigned>(failures) - 1, 0);
    }
    ::close_range(static_cast<unsigned>(failures) + 1, ~0U, 0);

    ::execve(path, argv, envp);
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(failures, &error, sizeof error);
    ::_exit(127);
}

void reap(pid_t child) {
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace

std::vector<char*> pointersTo(const std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (const std::string& text : texts) {
        pointers.push_back(const_cast<char*>(text.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

std::optional<std::string> findExecutable(const std::string& program) {
    if (program.empty()) {
        return std::nullopt;
    }
    if (program.find('/') != std::string::npos) {
        return program;
    }
    const char* variable = std::getenv("PATH");
    const std::string_view searchPath = variable != nullptr ? variable : kDefaultSearchPath;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = std::min(searchPath.find(':', start), searchPath.size());
        // An empty entry stands for the current directory.
        std::string directory(searchPath.substr(start, end - start));
        const std::string candidate = (directory.empty() ? "." : directory) + "/" + program;
        if (isExecutableFile(candidate)) {
            return candidate;
        }
        if (end == searchPath.size()) {
            return std::nullopt;
        }
        start = end + 1;
    }
}

// Two forks: the middle process starts a new session, forks the program and
// ends at once. We reap the middle process right here, and the program, now
// an orphan, is adopted and later reaped by init (or the session's subreaper).
// The exec's outcome comes back through a pipe that only the program holds
// once the middle process is gone: it closes without a word when the exec
// succeeds, which takes no longer than starting a process.
Refusal spawnDetached(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return "No program to start";
    }
    const std::optional<std::string> executable = findExecutable(arguments.front());
    if (!executable) {
        return arguments.front() + " was not found";
    }
    std::vector<char*> argv = pointersTo(arguments);
    const std::vector<std::string> environment = launchEnvironment(currentEnvironment());
    std::vector<char*> envp = pointersTo(environment);

    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        return std::string(std::strerror(errno));
    }
    UniqueFd failures(ends[0]);
    UniqueFd failuresToSend(ends[1]);

    const pid_t middle = ::fork();
    if (middle < 0) {
        return std::string(std::strerror(errno));
    }
    if (middle == 0) {
        ::setsid();
        // _Fork runs no fork handlers: the middle process is the copy of a
        // possibly multi-threaded program, whose locks may be held forever.
        if (::_Fork() == 0) {
            execDetached(executable->c_str(), argv.data(), envp.data(), failuresToSend.get());
        }
        ::_exit(0);
    }
    failuresToSend.close();
    reap(middle);

    int error = 0;
    ssize_t count = 0;
    do {
        count = ::read(failures.get(), &error, sizeof error);
    } while (count < 0 && errno == EINTR);
    if (count == static_cast<ssize_t>(sizeof error)) {
        return *executable + " could not be started: " + std::strerror(error);
    }
    return std::nullopt;
}

}  // namespace quarnel
