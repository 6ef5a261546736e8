#include "platform/linux/ProcessIdentity.h"

#include <limits>

#include "keepers/FileNamePart.h"

namespace quarnel {

std::string executableFileName(std::string_view linkTarget, bool fileDeleted) {
    if (fileDeleted && linkTarget.ends_with(kDeletedMark)) {
        linkTarget.remove_suffix(kDeletedMark.size());
    }
    return fileNamePart(linkTarget, kLinuxPathSeparators);
}

std::optional<pid_t> signalTarget(ProcessId id) {
    if (id == 0 || id > static_cast<ProcessId>(std::numeric_limits<pid_t>::max())) {
        return std::nullopt;
    }
    return static_cast<pid_t>(id);
}

}  // namespace quarnel
