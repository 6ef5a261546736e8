#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <memory>

#include "keepers/ServiceCommand.h"
#include "platform/windows/SystemReason.h"
#include "platform/windows/UniqueHandle.h"
#include "platform/windows/Utf16.h"
#include "platform/windows/WindowsState.h"

// Every launch goes through the shell with its default verb and a normal
// window. The service command's exit code is awaited; the time program's
// launch returns once it is under way.

namespace quarnel {
namespace {

// The command's process when it has ended: nothing while it runs, else the
// outcome its exit code tells (net.exe ends with 0 only when it did the job;
// its own message was in the console, which is gone by now).
std::optional<Refusal> outcomeOf(HANDLE process) {
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        return std::nullopt;
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code)) {
        return Refusal(lastSystemReason());
    }
    if (code != 0) {
        return Refusal("net.exe ended with exit code " + std::to_string(code));
    }
    return Refusal();
}

}  // namespace

// "/K" keeps the console open for the user to read: its process ends only
// when the user closes it, so only its start is reported.
void SystemPlatform::controlService(TKeeperAction action, bool verbose,
                                    const std::string& serviceName, Completion done) {
    const std::wstring parameters = toUtf16(serviceParameters(action, verbose, serviceName));
    SHELLEXECUTEINFOW launch{};
    launch.cbSize = sizeof launch;
    launch.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    launch.lpFile = L"cmd.exe";
    launch.lpParameters = parameters.c_str();
    launch.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&launch)) {
        done(lastSystemReason());
        return;
    }
    const auto process = std::make_shared<UniqueHandle>(launch.hProcess);
    if (verbose || !process->valid()) {
        done(std::nullopt);
        return;
    }
    const auto finished = [process, done]() {
        const std::optional<Refusal> outcome = outcomeOf(process->get());
        if (outcome) {
            done(*outcome);
        }
        return outcome.has_value();
    };
    if (m_state->loop != nullptr) {
        m_state->loop->pollUntil(finished);
    } else {
        WaitForSingleObject(process->get(), INFINITE);
        finished();
    }
}

namespace {

// ShellExecuteW answers once the launch is under way, with a value above 32;
// at most 32 means it failed, and the thread's last error says why.
Refusal shellExecute(const std::wstring& file, const wchar_t* parameters) {
    const HINSTANCE result =
        ShellExecuteW(nullptr, nullptr, file.c_str(), parameters, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(result) <= 32) {
        return lastSystemReason();
    }
    return std::nullopt;
}

}  // namespace

// No parameters are passed as an empty text, not as a missing argument. The
// program takes its parameter text apart itself: nothing here refuses it.
Refusal SystemPlatform::launchProgram(const std::string& filePath, const std::string& parameters) {
    const std::wstring arguments = toUtf16(parameters);
    return shellExecute(toUtf16(filePath), arguments.c_str());
}

void SystemPlatform::openDocument(const std::string& target, Completion done) {
    done(shellExecute(toUtf16(target), nullptr));
}

}  // namespace quarnel
