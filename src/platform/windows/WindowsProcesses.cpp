#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include "keepers/ProgramProcesses.h"
#include "platform/SystemPlatform.h"
#include "platform/windows/UniqueHandle.h"
#include "platform/windows/Utf16.h"

namespace quarnel {
namespace {

// File names compare as the file system does: without regard to case.
bool sameFileName(std::string_view left, std::string_view right) {
    const std::wstring wideLeft = toUtf16(left);
    const std::wstring wideRight = toUtf16(right);
    return CompareStringOrdinal(wideLeft.c_str(), static_cast<int>(wideLeft.size()),
                                wideRight.c_str(), static_cast<int>(wideRight.size()),
                                TRUE) == CSTR_EQUAL;
}

std::vector<RunningProcess> runningProcesses() {
    std::vector<RunningProcess> running;
    const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid()) {
        return running;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        running.push_back({entry.th32ProcessID, toUtf8(entry.szExeFile)});
    }
    return running;
}

}  // namespace

std::vector<ProcessId> SystemPlatform::findProcessesByFileName(const std::string& fileName) {
    return processesOfProgram(runningProcesses(), fileName, GetCurrentProcessId(), sameFileName);
}

void SystemPlatform::terminateProcess(ProcessId id) {
    const UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, id));
    if (process.valid()) {
        TerminateProcess(process.get(), 0);
    }
}

}  // namespace quarnel
