#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "keepers/ServiceCommand.h"
#include "platform/SystemPlatform.h"
#include "platform/windows/Utf16.h"

// Every launch goes through the shell with its default verb and a normal
// window, and returns once the launch is under way; its result is not read.

namespace quarnel {

void SystemPlatform::controlService(TKeeperAction action, bool verbose,
                                    const std::string& serviceName) {
    const std::wstring parameters = toUtf16(serviceParameters(action, verbose, serviceName));
    ShellExecuteW(nullptr, nullptr, L"cmd.exe", parameters.c_str(), nullptr, SW_SHOWNORMAL);
}

// No parameters are passed as an empty text, not as a missing argument. The
// program takes its parameter text apart itself: nothing here refuses it.
Refusal SystemPlatform::launchProgram(const std::string& filePath, const std::string& parameters) {
    const std::wstring file = toUtf16(filePath);
    const std::wstring arguments = toUtf16(parameters);
    ShellExecuteW(nullptr, nullptr, file.c_str(), arguments.c_str(), nullptr, SW_SHOWNORMAL);
    return std::nullopt;
}

void SystemPlatform::openDocument(const std::string& target) {
    const std::wstring document = toUtf16(target);
    ShellExecuteW(nullptr, nullptr, document.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace quarnel
