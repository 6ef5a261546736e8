#include "platform/linux/ProcessIdentity.h"

#include <limits>

#include "keepers/FileNamePart.h"

namespace quarnel {
namespace {

constexpr std::string_view kDeletedMark = " (deleted)";

}  // namespace

std::string executableFileName(std::string_view linkTarget) {
    if (linkTarget.ends_with(kDeletedMark)) {
        linkTarget.remove_suffix(kDeletedMark.size());
    }
    return fileNamePart(linkTarget, kLinuxPathSeparators);
}

std::string commandFileName(std::string_view comm, std::string_view commandLine) {
    if (comm.ends_with('\n')) {
        comm.remove_suffix(1);
    }
    if (comm.size() < kCommandNameLimit) {
        return std::string(comm);
    }
    const std::string_view firstArgument = commandLine.substr(0, commandLine.find('\0'));
    std::string whole = fileNamePart(firstArgument, kLinuxPathSeparators);
    return whole.starts_with(comm) ? whole : std::string(comm);
}

std::optional<pid_t> signalTarget(ProcessId id) {
    if (id == 0 || id > static_cast<ProcessId>(std::numeric_limits<pid_t>::max())) {
        return std::nullopt;
    }
    return static_cast<pid_t>(id);
}

}  // namespace quarnel
