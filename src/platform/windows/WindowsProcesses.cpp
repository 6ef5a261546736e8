#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include "platform/windows/UniqueHandle.h"
#include "platform/windows/Utf16.h"
#include "platform/windows/WindowsPlatform.h"

namespace quarnel {
namespace {

// File names compare as the file system does: without regard to case.
bool sameFileName(const wchar_t* left, const std::wstring& right) {
    return CompareStringOrdinal(left, -1, right.c_str(), -1, TRUE) == CSTR_EQUAL;
}

}  // namespace

std::vector<ProcessId> WindowsPlatform::findProcessesByFileName(const std::string& fileName) {
    std::vector<ProcessId> found;
    if (fileName.empty()) {
        return found;
    }
    const std::wstring wanted = toUtf16(fileName);
    const UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot.valid()) {
        return found;
    }
    const DWORD self = GetCurrentProcessId();
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (entry.th32ProcessID != self && sameFileName(entry.szExeFile, wanted)) {
            found.push_back(entry.th32ProcessID);
        }
    }
    return found;
}

void WindowsPlatform::terminateProcess(ProcessId id) {
    const UniqueHandle process(OpenProcess(PROCESS_TERMINATE, FALSE, id));
    if (process.valid()) {
        TerminateProcess(process.get(), 0);
    }
}

}  // namespace quarnel
