#include "platform/windows/SystemReason.h"

#include <windows.h>

#include "platform/windows/Utf16.h"

namespace quarnel {
namespace {

// Some messages span lines; the caller shows the reason inside one line.
std::string asOneLine(const std::string& text) {
    std::string line;
    bool inBreak = false;
    for (const char c : text) {
        const bool isBreak = c == '\r' || c == '\n';
        if (isBreak && !inBreak) {
            line += ' ';
        } else if (!isBreak) {
            line += c;
        }
        inBreak = isBreak;
    }
    return line;
}

}  // namespace

std::string systemReason(unsigned long errorCode) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, errorCode, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0) {
        return "Windows error " + std::to_string(errorCode);
    }
    std::string reason = toUtf8(std::wstring_view(buffer, length));
    LocalFree(buffer);

    const auto end = reason.find_last_not_of("\r\n .");
    reason.erase(end == std::string::npos ? 0 : end + 1);
    return asOneLine(reason);
}

std::string lastSystemReason() {
    return systemReason(GetLastError());
}

}  // namespace quarnel
