#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace quarnel {

// How the kernel names a process, turned into the file name Quarnel matches.

// The kernel cuts a process's command name (/proc/PID/comm) to this length.
inline constexpr std::size_t kCommandNameLimit = 15;

// The file name of the target of a /proc/PID/exe link. A program whose file
// was replaced while it runs (as a package upgrade does) shows its old path
// with " (deleted)" added; it is still that program.
std::string executableFileName(std::string_view linkTarget);

// The name of a process whose executable link cannot be read (another user's
// process, seen without privileges), from the contents of /proc/PID/comm and
// /proc/PID/cmdline. A command name of the full limit's length may be cut;
// then the file name of the first argument completes it when it begins with
// that cut name.
std::string commandFileName(std::string_view comm, std::string_view commandLine);

// The process id as kill() takes it, or nothing for an id that would signal a
// group of processes (0, or a value that turns negative) instead of one.
std::optional<pid_t> signalTarget(ProcessId id);

}  // namespace quarnel
