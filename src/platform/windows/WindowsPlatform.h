#pragma once

#include "platform/Platform.h"

namespace quarnel {

// The Win32 implementation. Each group of operations lives in a file of its
// own: WindowsClock, WindowsProcesses, WindowsLaunch, WindowsVersion and
// WindowsFiles.
class WindowsPlatform final : public Platform {
  public:
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
    std::optional<std::string> readFile(const std::string& path) override;
    bool fileIsMissing(const std::string& path) override;
    Refusal replaceFile(const std::string& path, const std::string& contents) override;
};

}  // namespace quarnel
