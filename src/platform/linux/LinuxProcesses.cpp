#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <memory>

#include "keepers/ProgramProcesses.h"
#include "platform/linux/LinkChain.h"
#include "platform/linux/LinuxState.h"
#include "platform/linux/ProcessIdentity.h"

namespace quarnel {
namespace {

std::string processDirectory(ProcessId id) {
    return "/proc/" + std::to_string(id);
}

// The file name of the executable a process runs, or nothing when its link
// cannot be read: another user's process seen without privileges, a kernel
// thread, a process that has ended. Such a process is never matched.
std::optional<std::string> executableOf(ProcessId id) {
    const std::string link = processDirectory(id) + "/exe";
    const std::optional<std::string> target = readLinkTarget(AT_FDCWD, link.c_str());
    if (!target) {
        return std::nullopt;
    }
    const std::string_view text = *target;
    // The link leads to the running file itself, deleted or not.
    struct stat file {};
    const bool deleted =
        text.ends_with(kDeletedMark) && ::stat(link.c_str(), &file) == 0 && file.st_nlink == 0;
    return executableFileName(text, deleted);
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
            if (std::optional<std::string> fileName = executableOf(*id)) {
                running.push_back({*id, std::move(*fileName)});
            }
        }
    }
    return running;
}

}  // namespace

// Each match is held through a process descriptor until it is terminated, so
// that the signal cannot reach a process that took over the id meanwhile. The
// executable is checked again once the descriptor is open: the id may have
// passed to another process between the listing and the opening.
std::vector<ProcessId> SystemPlatform::findProcessesByFileName(const std::string& fileName) {
    m_state->listedProcesses.clear();
    std::vector<ProcessId> found;
    for (const ProcessId id :
         processesOfProgram(runningProcesses(), fileName, static_cast<ProcessId>(::getpid()))) {
        const std::optional<pid_t> target = signalTarget(id);
        if (!target) {
            continue;
        }
        ProcessHandle handle(*target);
        if (handle.unsupported()) {
            found.push_back(id);
            continue;
        }
        if (handle.holds() && executableOf(id) == fileName && handle.alive()) {
            found.push_back(id);
            m_state->listedProcesses.emplace(id, std::move(handle));
        }
    }
    return found;
}

// A listed process that has ended since is not replaced by another: its
// descriptor reaches nobody. Only a kernel without process descriptors is
// signalled by id.
void SystemPlatform::terminateProcess(ProcessId id) {
    const auto listed = m_state->listedProcesses.find(id);
    if (listed != m_state->listedProcesses.end()) {
        listed->second.signal(SIGTERM);
        m_state->listedProcesses.erase(listed);
        return;
    }
    const std::optional<pid_t> target = signalTarget(id);
    if (!target) {
        return;
    }
    const ProcessHandle handle(*target);
    if (handle.unsupported()) {
        ::kill(*target, SIGTERM);
    } else {
        handle.signal(SIGTERM);
    }
}

}  // namespace quarnel
