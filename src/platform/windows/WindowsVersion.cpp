#include <windows.h>

#include <array>

#include "platform/SystemPlatform.h"
#include "platform/windows/Utf16.h"

namespace quarnel {
namespace {

// A larger version block counts as unreadable.
constexpr DWORD kVersionBufferSize = 4096;

}  // namespace

// Only the fixed numeric part is read; the text entries of the resource may
// say something else and are ignored.
std::optional<FileVersion> SystemPlatform::readFileVersion(const std::string& path) {
    const std::wstring file = toUtf16(path);
    DWORD unused = 0;
    const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &unused);
    if (size == 0 || size > kVersionBufferSize) {
        return std::nullopt;
    }
    alignas(DWORD) std::array<unsigned char, kVersionBufferSize> buffer{};
    if (GetFileVersionInfoW(file.c_str(), 0, size, buffer.data()) != TRUE) {
        return std::nullopt;
    }
    void* fixedPart = nullptr;
    UINT fixedSize = 0;
    if (VerQueryValueW(buffer.data(), L"\\", &fixedPart, &fixedSize) != TRUE ||
        fixedSize < sizeof(VS_FIXEDFILEINFO)) {
        return std::nullopt;
    }
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(fixedPart);
    return FileVersion{HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                       HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
}

}  // namespace quarnel
