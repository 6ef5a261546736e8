// TEMPORARY, during parallel development only: lets the program link until the
// process, launch and version operations land. Each lands by deleting its
// definition here; the file must be gone before release.
#include <stdexcept>

#include "platform/linux/LinuxPlatform.h"

namespace quarnel {

void LinuxPlatform::controlService(TKeeperAction, bool, const std::string&) {
    throw std::logic_error("controlService is not built yet");
}

std::vector<ProcessId> LinuxPlatform::findProcessesByFileName(const std::string&) {
    throw std::logic_error("findProcessesByFileName is not built yet");
}

void LinuxPlatform::terminateProcess(ProcessId) {
    throw std::logic_error("terminateProcess is not built yet");
}

void LinuxPlatform::launchProgram(const std::string&, const std::string&) {
    throw std::logic_error("launchProgram is not built yet");
}

void LinuxPlatform::openDocument(const std::string&) {
    throw std::logic_error("openDocument is not built yet");
}

}  // namespace quarnel
