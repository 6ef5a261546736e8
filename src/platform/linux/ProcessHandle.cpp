#include "platform/linux/ProcessHandle.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

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
    m_unsupported = !m_descriptor.valid() && errno == ENOSYS;
}

bool ProcessHandle::alive() const {
    return signal(0);
}

bool ProcessHandle::signal(int number) const {
    return m_descriptor.valid() && sendSignal(m_descriptor.get(), number) == 0;
}

}  // namespace quarnel
