#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <array>
#include <cstdlib>
#include <string>

#include "platform/windows/Utf16.h"

// Stands in for "net.exe" and for a time-keeper program in the end-to-end
// tests: appends one line with the arguments it received, separated by tabs,
// to a file named after its own program file with ".log" added. Built with
// QUARNEL_KEEP_RUNNING it then runs until it is terminated, as a time keeper
// does, ending by itself after two minutes so that a failed test leaves
// nothing running for long; otherwise it ends with the exit code written in
// the file named after it with ".exitcode" added, if there is one, as a
// failing net.exe does.
#ifndef QUARNEL_KEEP_RUNNING
namespace {

int exitCodeAsked(const std::wstring& self) {
    const HANDLE file = CreateFileW((self + L".exitcode").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    std::array<char, 16> digits{};
    DWORD read = 0;
    ReadFile(file, digits.data(), static_cast<DWORD>(digits.size() - 1), &read, nullptr);
    CloseHandle(file);
    return std::atoi(digits.data());
}

}  // namespace
#endif

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::string line;
    for (int i = 1; i < count; ++i) {
        line += (i > 1 ? "\t" : "") + quarnel::toUtf8(arguments[i]);
    }
    line += "\n";
    LocalFree(arguments);

    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    const std::wstring log = self + L".log";
    // One write in append mode, so that the line lands whole after any other.
    const HANDLE file =
        CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD written = 0;
    const BOOL wrote =
        WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    if (!wrote) {
        return 1;
    }
#ifdef QUARNEL_KEEP_RUNNING
    Sleep(120'000);
    return 3;
#else
    return exitCodeAsked(self);
#endif
}
