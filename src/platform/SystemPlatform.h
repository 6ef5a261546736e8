#pragma once

#include <memory>

#include "platform/EventLoop.h"
#include "platform/Platform.h"
#include "platform/ServiceManager.h"
#include "platform/TimeService.h"

namespace quarnel {

// The platform of the system the program is built for: one declaration, two
// ports. The POSIX port lives in linux/, the Win32 one in windows/, each group
// of operations in a file of its own (Clock, Processes, Launch, Version,
// Files, Places); the build compiles the port of its system.
class SystemPlatform final : public Platform {
  public:
    // What the window's side lends the platform; none of it is owned, and
    // each must outlive the platform.
    struct Helpers {
        // Waits for the commands the platform starts. Without it, the call
        // that started a command waits for it (as tests do).
        EventLoop* loop = nullptr;
        // Asked to step the clock when that is refused for lack of
        // privilege, and to hold the system's own synchronization (Linux).
        TimeService* timeService = nullptr;
        // Asked to stop and start services before any service command
        // (Linux, where systemd runs).
        ServiceManager* serviceManager = nullptr;
    };

    SystemPlatform() : SystemPlatform(Helpers{}) {}
    explicit SystemPlatform(Helpers helpers);
    ~SystemPlatform() override;
    SystemPlatform(const SystemPlatform&) = delete;
    SystemPlatform& operator=(const SystemPlatform&) = delete;

    TimeCount readLocalTime() override;
    TimeCount readUniversalTime() override;
    void shiftLocalTime(std::int64_t shift, Completion done) override;

    void controlService(TKeeperAction action, bool verbose, const std::string& serviceName,
                        Completion done) override;
    void readAutomaticSync(std::function<void(std::optional<bool>)> done) override;
    void setAutomaticSync(bool on, Completion done) override;
    std::vector<ProcessId> findProcessesByFileName(const std::string& fileName) override;
    void terminateProcess(ProcessId id) override;
    Refusal launchProgram(const std::string& filePath, const std::string& parameters) override;

    void openDocument(const std::string& target, Completion done) override;
    std::optional<FileVersion> readFileVersion(const std::string& path) override;

    std::string currentDirectory() override;
    std::string settingsFile(const std::string& fileName) override;
    std::optional<std::string> installedHelpFolder() override;
    std::string programFile() override;
    std::optional<std::string> readFile(const std::string& path) override;
    bool fileIsMissing(const std::string& path) override;
    Refusal replaceFile(const std::string& path, const std::string& contents) override;
    Refusal appendToFile(const std::string& path, const std::string& text) override;
    std::optional<std::uint64_t> fileSize(const std::string& path) override;
    Refusal renameReplacing(const std::string& from, const std::string& to) override;
    void makeSettingsFolder(const std::string& path) override;
    SerialPortOpening openSerialPort(const std::string& name, unsigned baudRate) override;
    std::string userId() override;

  private:
    // What a port keeps between calls; each port defines its own.
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace quarnel
