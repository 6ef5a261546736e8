#include "keepers/ProgramProcesses.h"

namespace quarnel {

std::vector<std::uint32_t> processesOfProgram(const std::vector<RunningProcess>& running,
                                              std::string_view fileName, std::uint32_t self,
                                              SameFileName sameFileName) {
    std::vector<std::uint32_t> found;
    if (fileName.empty()) {
        return found;
    }
    for (const RunningProcess& process : running) {
        if (process.id != self && sameFileName(process.fileName, fileName)) {
            found.push_back(process.id);
        }
    }
    return found;
}

}  // namespace quarnel
