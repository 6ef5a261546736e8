#pragma once

#include <memory>

#include "platform/Platform.h"
#include "platform/TimeService.h"

namespace quarnel {

// The platform of the system the program is built for: one declaration, two
// ports. The POSIX port lives in linux/, the Win32 one in windows/, each group
// of operations in a file of its own (Clock, Processes, Launch, Version,
// Files, Places); the build compiles the port of its system.
class SystemPlatform final : public Platform {
  public:
    // A clock step refused for lack of privilege is handed to `timeService`
    // where the system has one (Linux); Windows has none and ignores it. It is
    // not owned and must outlive the platform.
    explicit SystemPlatform(TimeService* timeService = nullptr);
    ~SystemPlatform() override;
    SystemPlatform(const SystemPlatform&) = delete;
    SystemPlatform& operator=(const SystemPlatform&) = delete;

    TimeCount readLocalTime() override;
    Refusal shiftLocalTime(std::int64_t shift) override;

    void controlService(TKeeperAction action, bool verbose,
                        const std::string& serviceName) override;
    std::vector<ProcessId> findProcessesByFileName(const std::string& fileName) override;
    void terminateProcess(ProcessId id) override;
    Refusal launchProgram(const std::string& filePath, const std::string& parameters) override;

    void openDocument(const std::string& target) override;
    std::optional<FileVersion> readFileVersion(const std::string& path) override;

    std::string currentDirectory() override;
    std::string settingsFile(const std::string& fileName) override;
    std::string helpPage(const std::string& fileName) override;
    std::string programFile(const std::string& fileName) override;
    std::optional<std::string> readFile(const std::string& path) override;
    bool fileIsMissing(const std::string& path) override;
    Refusal replaceFile(const std::string& path, const std::string& contents) override;
    void makeSettingsFolder(const std::string& path) override;
    std::string userId() override;

  private:
    // What a port keeps between calls; each port defines its own.
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace quarnel
