#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <memory>

#include "keepers/ProgramProcesses.h"
#include "platform/linux/LinuxPlatform.h"
#include "platform/linux/ProcessIdentity.h"

namespace quarnel {
namespace {

// The first bytes of a /proc file: enough for a command name or the first
// argument of a command line.
std::string readStart(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return {};
    }
    char buffer[PATH_MAX];
    const ssize_t length = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

std::optional<std::string> readLink(const std::string& path) {
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), buffer, sizeof buffer);
    if (length < 0) {
        return std::nullopt;
    }
    return std::string(buffer, static_cast<std::size_t>(length));
}

std::string fileNameOfProcess(const std::string& processDirectory) {
    if (const std::optional<std::string> target = readLink(processDirectory + "/exe")) {
        return executableFileName(*target);
    }
    return commandFileName(readStart(processDirectory + "/comm"),
                           readStart(processDirectory + "/cmdline"));
}

std::optional<ProcessId> processIdOf(const char* entryName) {
    ProcessId id = 0;
    for (const char* c = entryName; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9' || id > (UINT32_MAX - 9) / 10) {
            return std::nullopt;
        }
        id = id * 10 + static_cast<ProcessId>(*c - '0');
    }
    return *entryName != '\0' ? std::optional<ProcessId>(id) : std::nullopt;
}

// Processes may end while they are listed; those are simply missed.
std::vector<RunningProcess> runningProcesses() {
    std::vector<RunningProcess> running;
    const std::unique_ptr<DIR, int (*)(DIR*)> proc(::opendir("/proc"), ::closedir);
    if (!proc) {
        return running;
    }
    while (const dirent* entry = ::readdir(proc.get())) {
        if (const std::optional<ProcessId> id = processIdOf(entry->d_name)) {
            running.push_back({*id, fileNameOfProcess(std::string("/proc/") + entry->d_name)});
        }
    }
    return running;
}

}  // namespace

std::vector<ProcessId> LinuxPlatform::findProcessesByFileName(const std::string& fileName) {
    return processesOfProgram(runningProcesses(), fileName, static_cast<ProcessId>(::getpid()));
}

void LinuxPlatform::terminateProcess(ProcessId id) {
    if (const std::optional<pid_t> target = signalTarget(id)) {
        ::kill(*target, SIGTERM);
    }
}

}  // namespace quarnel
