#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace quarnel {

// How the kernel names a process's executable, turned into the file name
// Quarnel matches. Only the executable counts: the command name and the first
// argument are whatever the process chose.

// The file name of the target of a /proc/PID/exe link. A program whose file
// was replaced while it runs (as a package upgrade does) shows its old path
// with " (deleted)" added; it is still that program. The mark is taken off
// only when the file really was deleted, since a file may carry the mark in
// its name.
inline constexpr std::string_view kDeletedMark = " (deleted)";
std::string executableFileName(std::string_view linkTarget, bool fileDeleted);

// The process id as kill() and pidfd_open() take it, or nothing for an id
// that would signal a group of processes (0, or a value that turns negative)
// instead of one.
std::optional<pid_t> signalTarget(ProcessId id);

}  // namespace quarnel
