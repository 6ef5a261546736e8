#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <array>
#include <cstdlib>
#include <string>

#include "platform/windows/Utf16.h"

// Stands in for a launched program and for "net.exe": writes the arguments it
// received, one per line in UTF-8, to a file named after its own program file
// with ".args" added. The file appears in one step, so a test that sees it can
// read it whole. It then ends with the exit code written in the file named
// after it with ".exitcode" added, if there is one, as a failing net.exe does.
namespace {

UINT exitCodeAsked(const std::wstring& self) {
    const HANDLE file = CreateFileW((self + L".exitcode").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 0;
    }
    std::array<char, 16> digits{};
    DWORD read = 0;
    ReadFile(file, digits.data(), static_cast<DWORD>(digits.size() - 1), &read, nullptr);
    CloseHandle(file);
    return static_cast<UINT>(std::strtoul(digits.data(), nullptr, 10));
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::string lines;
    for (int i = 1; i < count; ++i) {
        lines += quarnel::toUtf8(arguments[i]) + "\n";
    }
    LocalFree(arguments);

    std::wstring self(MAX_PATH, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size())));
    const std::wstring record = self + L".args";
    const std::wstring partial = record + L".partial";

    const HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 1;
    }
    DWORD written = 0;
    const BOOL wrote =
        WriteFile(file, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr);
    CloseHandle(file);
    if (!wrote || !MoveFileExW(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        return 1;
    }
    return static_cast<int>(exitCodeAsked(self));
}
