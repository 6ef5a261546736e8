#include "platform/FileContractSupport.h"

#include <windows.h>

#include <chrono>
#include <functional>
#include <thread>

#include "platform/windows/UniqueHandle.h"
#include "platform/windows/Utf16.h"

namespace quarnel::testing {
namespace {

namespace fs = std::filesystem;

// Wine's own function that names the Unix file behind a Windows path; null
// on Windows.
using UnixFileName = char*(__cdecl*)(const wchar_t*);
UnixFileName wineUnixFileName() {
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    return reinterpret_cast<UnixFileName>(
        reinterpret_cast<void*>(GetProcAddress(kernel32, "wine_get_unix_file_name")));
}

bool isListed(const fs::path& name) {
    std::error_code failed;
    for (const fs::directory_entry& entry : fs::directory_iterator(name.parent_path(), failed)) {
        if (entry.path().filename() == name.filename()) {
            return true;
        }
    }
    return false;
}

// Runs `command` (its program on the Unix side, for example "ln") and waits
// until `done` holds: Wine does not wait for a Unix program's end.
bool runOnUnixSide(std::wstring command, const std::function<bool()>& done) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    const std::wstring program = L"Z:\\bin\\" + command.substr(0, command.find(L' '));
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
        return false;
    }
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

std::wstring quotedUnixName(UnixFileName unixFileName, const fs::path& path) {
    char* const name = unixFileName(path.c_str());
    if (name == nullptr) {
        return {};
    }
    const std::wstring quoted = L"\"" + toUtf16(name) + L"\"";
    HeapFree(GetProcessHeap(), 0, name);
    return quoted;
}

}  // namespace

std::string pathText(const fs::path& path) {
    return toUtf8(path.wstring());
}

// Wine's CreateSymbolicLinkW reports success and makes nothing, and its
// DeleteFileW reports success and leaves a link of the Unix side in place
// (std::filesystem::remove_all then never ends). Wine shows such a link as
// Windows shows its own: as the file it leads to. So under Wine the links
// are made and removed on the Unix side, by the host's ln and rm, which Wine
// starts like any program. Making a link on Windows needs the right to (an
// administrator, or the developer mode).
bool makeSymbolicLink(const fs::path& target, const fs::path& link) {
    if (const UnixFileName unixFileName = wineUnixFileName()) {
        const std::wstring unixLink = quotedUnixName(unixFileName, link);
        return !unixLink.empty() &&
               runOnUnixSide(L"ln -s \"" + target.generic_wstring() + L"\" " + unixLink,
                             [&link] { return isListed(link); });
    }
    std::error_code failed;
    fs::create_symlink(target, link, failed);
    return !failed;
}

void removeSymbolicLink(const fs::path& link) {
    if (const UnixFileName unixFileName = wineUnixFileName()) {
        const std::wstring unixLink = quotedUnixName(unixFileName, link);
        if (!unixLink.empty()) {
            runOnUnixSide(L"rm -f " + unixLink, [&link] { return !isListed(link); });
        }
        return;
    }
    std::error_code ignored;
    fs::remove(link, ignored);
}

fs::path deviceIn(const fs::path& folder) {
    return folder / L"NUL";
}

}  // namespace quarnel::testing
