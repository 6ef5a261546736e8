#include "platform/linux/WatchedCommand.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/DetachedSpawn.h"
#include "platform/linux/LaunchEnvironment.h"

namespace quarnel {
namespace {

// The error text of a command is short; more is not read.
constexpr std::size_t kMostErrorText = 64 * 1024;
// The shell's status for a command that could not be run.
constexpr int kCouldNotRun = 127;

// Runs in the child between fork and exec: async-signal-safe calls only.
[[noreturn]] void execWithErrorsTo(int errors, const char* path, char* const argv[],
                                   char* const envp[]) {
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    const int nothing = ::open("/dev/null", O_RDWR);
    if (nothing >= 0) {
        ::dup2(nothing, STDIN_FILENO);
        ::dup2(nothing, STDOUT_FILENO);
    }
    ::dup2(errors, STDERR_FILENO);
    ::close_range(3, ~0U, 0);
    ::execve(path, argv, envp);
    ::_exit(kCouldNotRun);
}

std::string lastLine(const std::string& text) {
    std::size_t end = text.find_last_not_of("\r\n \t");
    if (end == std::string::npos) {
        return {};
    }
    const std::size_t start = text.rfind('\n', end);
    return text.substr(start == std::string::npos ? 0 : start + 1,
                       end + 1 - (start == std::string::npos ? 0 : start + 1));
}

}  // namespace

std::unique_ptr<WatchedCommand> WatchedCommand::start(const std::vector<std::string>& arguments,
                                                      std::string& reason) {
    const std::optional<std::string> executable =
        arguments.empty() ? std::nullopt : findExecutable(arguments.front());
    if (!executable) {
        reason = (arguments.empty() ? std::string() : arguments.front()) + " was not found";
        return nullptr;
    }
    std::vector<char*> argv = pointersTo(arguments);
    const std::vector<std::string> environment = launchEnvironment(currentEnvironment());
    std::vector<char*> envp = pointersTo(environment);

    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0) {
        reason = std::strerror(errno);
        return nullptr;
    }
    UniqueFd readEnd(ends[0]);
    UniqueFd writeEnd(ends[1]);
    // The child's error output blocks as a pipe normally does.
    ::fcntl(writeEnd.get(), F_SETFL, 0);

    const pid_t child = ::fork();
    if (child < 0) {
        reason = std::strerror(errno);
        return nullptr;
    }
    if (child == 0) {
        execWithErrorsTo(writeEnd.get(), executable->c_str(), argv.data(), envp.data());
    }
    return std::unique_ptr<WatchedCommand>(
        new WatchedCommand(child, std::move(readEnd), arguments.front()));
}

WatchedCommand::WatchedCommand(pid_t child, UniqueFd errors, std::string program)
    : m_child(child), m_errors(std::move(errors)), m_program(std::move(program)) {}

// A command still running when its watcher goes (the program ends) is left
// to run; it is reaped by whoever adopts it.
WatchedCommand::~WatchedCommand() = default;

void WatchedCommand::readErrors() {
    char buffer[4096];
    while (m_errors.valid()) {
        const ssize_t count = ::read(m_errors.get(), buffer, sizeof buffer);
        if (count > 0) {
            if (m_errorText.size() < kMostErrorText) {
                m_errorText.append(buffer, static_cast<std::size_t>(count));
            }
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else {
            if (count == 0) {
                m_errors.close();
            }
            return;
        }
    }
}

std::optional<Refusal> WatchedCommand::outcome() {
    readErrors();
    int status = 0;
    const pid_t ended = ::waitpid(m_child, &status, WNOHANG);
    if (ended == 0 || (ended < 0 && errno == EINTR)) {
        return std::nullopt;
    }
    readErrors();
    if (ended < 0) {
        return Refusal(std::strerror(errno));
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        return Refusal();
    }
    if (const std::string line = lastLine(m_errorText); !line.empty()) {
        return Refusal(line);
    }
    if (WIFEXITED(status)) {
        return Refusal(m_program + " ended with exit status " +
                       std::to_string(WEXITSTATUS(status)));
    }
    return Refusal(m_program + " ended by signal " + std::to_string(WTERMSIG(status)));
}

}  // namespace quarnel
