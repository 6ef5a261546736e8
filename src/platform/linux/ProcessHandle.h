#pragma once

#include <sys/types.h>

#include "platform/linux/UniqueFd.h"

namespace quarnel {

// A process held through a process file descriptor (pidfd). A signal sent
// through it reaches that very process or, once it has ended, none: never a
// process that was given the same id later.
class ProcessHandle {
  public:
    // Opens the process with this id. The handle holds nothing when there is
    // no such process, or when the kernel has no process descriptors.
    explicit ProcessHandle(pid_t id);

    bool holds() const { return m_descriptor.valid(); }
    // The kernel predates process descriptors (before Linux 5.3): only a
    // signal by id is possible.
    bool unsupported() const { return m_unsupported; }
    // Whether the held process still runs (or waits to be reaped).
    bool alive() const;
    // False when the process has ended or the signal was refused.
    bool signal(int number) const;

  private:
    UniqueFd m_descriptor;
    bool m_unsupported = false;
};

}  // namespace quarnel
