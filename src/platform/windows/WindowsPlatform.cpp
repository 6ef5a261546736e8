#include <windows.h>
// sddl.h needs the declarations of windows.h.
#include <sddl.h>

#include <vector>

#include "platform/windows/UniqueHandle.h"
#include "platform/windows/Utf16.h"
#include "platform/windows/WindowsState.h"

namespace quarnel {

SystemPlatform::SystemPlatform(Helpers helpers)
    : m_state(std::make_unique<State>(State{helpers.loop})) {}

SystemPlatform::~SystemPlatform() = default;

// The security identifier of the process's user, in its text form (S-1-5-21-…).
std::string SystemPlatform::userId() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return {};
    }
    const UniqueHandle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    // TOKEN_USER holds pointers: the buffer is aligned for them.
    std::vector<void*> buffer(size / sizeof(void*) + 1);
    if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
        return {};
    }
    const auto* user = static_cast<const TOKEN_USER*>(static_cast<const void*>(buffer.data()));
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(user->User.Sid, &text)) {
        return {};
    }
    std::string id = toUtf8(text);
    LocalFree(text);
    return id;
}

}  // namespace quarnel
