#pragma once

#include <windows.h>

namespace quarnel {

// Closes a kernel handle when it goes out of scope, so that snapshot, process
// and file handles are held only for the length of one operation. Win32 marks
// a failed open with either null or INVALID_HANDLE_VALUE; both count as none.
class UniqueHandle {
  public:
    explicit UniqueHandle(HANDLE handle) : m_handle(handle) {}
    ~UniqueHandle() {
        if (valid()) {
            CloseHandle(m_handle);
        }
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    bool valid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_handle; }

  private:
    HANDLE m_handle;
};

}  // namespace quarnel
