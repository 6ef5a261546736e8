#pragma once

#include <map>

#include "platform/Platform.h"
#include "platform/TimeService.h"
#include "platform/linux/ProcessHandle.h"

namespace quarnel {

// The POSIX port. Each group of operations lives in a file of its own:
// LinuxClock, LinuxProcesses, LinuxLaunch, LinuxVersion, LinuxFiles and
// LinuxPlaces.
class LinuxPlatform final : public Platform {
  public:
    // A clock step refused for lack of privilege is handed to `timeService`
    // when there is one (it is not owned and must outlive the platform).
    explicit LinuxPlatform(TimeService* timeService = nullptr) : timeService_(timeService) {}

    TimeCount readLocalTime() override;
    Refusal shiftLocalTime(std::int64_t shift) override;

    void controlService(TKeeperAction action, bool verbose,
                        const std::string& serviceName) override;
    std::vector<ProcessId> findProcessesByFileName(const std::string& fileName) override;
    void terminateProcess(ProcessId id) override;
    void launchProgram(const std::string& filePath, const std::string& parameters) override;

    void openDocument(const std::string& target) override;
    std::optional<FileVersion> readFileVersion(const std::string& path) override;

    std::string currentDirectory() override;
    std::string settingsFile(const std::string& fileName) override;
    std::string helpPage(const std::string& fileName) override;
    std::string programFile(const std::string& fileName) override;
    std::optional<std::string> readFile(const std::string& path) override;
    bool fileIsMissing(const std::string& path) override;
    Refusal replaceFile(const std::string& path, const std::string& contents) override;

  private:
    TimeService* timeService_;
    // The processes the last search found, held until they are terminated.
    std::map<ProcessId, ProcessHandle> m_listedProcesses;
};

}  // namespace quarnel
