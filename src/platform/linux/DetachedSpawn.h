#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace quarnel {

// The file that running `program` would execute: `program` itself when it
// holds a "/", otherwise the first executable file of that name in the
// directories of PATH, searched as execvp does.
std::optional<std::string> findExecutable(const std::string& program);

// C strings of a list of texts, ended by a null pointer, as exec takes them;
// they point into `texts`.
std::vector<char*> pointersTo(const std::vector<std::string>& texts);

// Starts arguments[0], found as findExecutable finds it, with `arguments` as
// its argument list, and returns at once. The program runs detached: in a
// session of its own, without our terminal as its input, without our open
// files but its output and error, and as no child of ours, so it never waits
// to be reaped. It gets our environment without the variables that are ours
// alone (see LaunchEnvironment). A program that cannot be found or started
// is refused with the reason; what it does once started is not reported.
Refusal spawnDetached(const std::vector<std::string>& arguments);

}  // namespace quarnel
