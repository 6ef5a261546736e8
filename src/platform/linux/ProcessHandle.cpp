#include "platform/linux/ProcessHandle.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace quarnel {
namespace {

// Debian 12's C library declares the wrappers, but older ones do not: the
// system calls are made by number.
int openProcess(pid_t id) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, id, 0));
#else
    (void)id;
    errno = ENOSYS;
    return -1;
#endif
}

int sendSignal(int descriptor, int number) {
#ifdef SYS_pidfd_send_signal
    return static_cast<int>(::syscall(SYS_pidfd_send_signal, descriptor, number, nullptr, 0));
#else
    (void)descriptor;
    (void)number;
    errno = ENOSYS;
    return -1;
#endif
}

}  // namespace

ProcessHandle::ProcessHandle(pid_t id) : m_descriptor(openProcess(id)) {
    m_unsupported = m_descriptor < 0 && errno == ENOSYS;
}

ProcessHandle::~ProcessHandle() {
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
    }
}

ProcessHandle::ProcessHandle(ProcessHandle&& other) noexcept
    : m_descriptor(std::exchange(other.m_descriptor, -1)), m_unsupported(other.m_unsupported) {}

ProcessHandle& ProcessHandle::operator=(ProcessHandle&& other) noexcept {
    if (this != &other) {
        if (m_descriptor >= 0) {
            ::close(m_descriptor);
        }
        m_descriptor = std::exchange(other.m_descriptor, -1);
        m_unsupported = other.m_unsupported;
    }
    return *this;
}

bool ProcessHandle::alive() const {
    return signal(0);
}

bool ProcessHandle::signal(int number) const {
    return m_descriptor >= 0 && sendSignal(m_descriptor, number) == 0;
}

}  // namespace quarnel
