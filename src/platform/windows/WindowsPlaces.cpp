// Where the program finds its files on Windows: the settings in the current
// directory; the help page there too, or else beside the running program;
// the version from the running program's own file, wherever it was started
// from.
#include <windows.h>

#include "platform/SystemPlatform.h"
#include "platform/windows/Utf16.h"

namespace quarnel {
namespace {

// The file of the running program, at any length: the name is cut short, and
// the count equals the buffer's size, when the buffer was too small.
std::wstring runningProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace

std::string SystemPlatform::settingsFile(const std::string& fileName) {
    return inCurrentDirectory(fileName);
}

// The program's folder without a trailing separator, as the current directory
// is given, except for a drive root ("C:\"), which keeps its own.
std::optional<std::string> SystemPlatform::installedHelpFolder() {
    const std::wstring program = runningProgramPath();
    const auto separator = program.find_last_of(L"\\/");
    if (program.empty() || separator == std::wstring::npos) {
        return std::nullopt;
    }
    const bool driveRoot = separator == 2 && program[1] == L':';
    return toUtf8(program.substr(0, driveRoot ? separator + 1 : separator));
}

// The current directory exists, and a save makes no folders on Windows.
void SystemPlatform::makeSettingsFolder(const std::string&) {}

std::string SystemPlatform::programFile() {
    return toUtf8(runningProgramPath());
}

}  // namespace quarnel
