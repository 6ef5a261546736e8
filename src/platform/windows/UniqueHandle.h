#pragma once

#include <windows.h>

namespace quarnel {

// Closes a kernel handle when it goes out of scope, so that snapshot, process
// and file handles are held only for the length of one operation. Win32 marks
// a failed open with either null or INVALID_HANDLE_VALUE; both count as none.
class UniqueHandle {
  public:
    explicit UniqueHandle(HANDLE handle) : handle_(handle) {}
    ~UniqueHandle() {
        if (valid()) {
            CloseHandle(handle_);
        }
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }

  private:
    HANDLE handle_;
};

}  // namespace quarnel
