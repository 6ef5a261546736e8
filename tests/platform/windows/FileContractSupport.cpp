#include "platform/FileContractSupport.h"

#include <windows.h>

#include <chrono>
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

// Wine's CreateSymbolicLinkW reports success and makes nothing, and Wine
// shows a symbolic link of the Unix side as Windows shows its own: the file
// it leads to. So under Wine the link is made on the Unix side, by the host's
// ln, which Wine starts like any program.
bool makeUnixLink(UnixFileName unixFileName, const fs::path& target, const fs::path& link) {
    char* const unixLink = unixFileName(link.c_str());
    if (unixLink == nullptr) {
        return false;
    }
    std::wstring commandLine =
        L"ln -s \"" + target.generic_wstring() + L"\" \"" + toUtf16(unixLink) + L"\"";
    HeapFree(GetProcessHeap(), 0, unixLink);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(L"Z:\\bin\\ln", commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &started)) {
        return false;
    }
    const UniqueHandle process(started.hProcess);
    const UniqueHandle thread(started.hThread);
    // Wine does not wait for a Unix program's end: wait for its link.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(link) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return fs::exists(link);
}

}  // namespace

std::string pathText(const fs::path& path) {
    return toUtf8(path.wstring());
}

// Making a link on Windows needs the right to (an administrator, or the
// developer mode).
bool makeSymbolicLink(const fs::path& target, const fs::path& link) {
    if (const UnixFileName unixFileName = wineUnixFileName()) {
        return makeUnixLink(unixFileName, target, link);
    }
    std::error_code failed;
    fs::create_symlink(target, link, failed);
    return !failed;
}

fs::path deviceIn(const fs::path& folder) {
    return folder / L"NUL";
}

}  // namespace quarnel::testing
