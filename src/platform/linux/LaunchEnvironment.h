#pragma once

#include <string>
#include <vector>

namespace quarnel {

// The environment a launched program gets: Quarnel's own, "NAME=value" each,
// without the variables that only make sense for Quarnel itself. The dynamic
// loader's (LD_PRELOAD, LD_LIBRARY_PATH, LD_AUDIT and every other LD_ one,
// GLIBC_TUNABLES) would load into a time keeper whatever was loaded into
// Quarnel; QUARNEL_ ones configure Quarnel.
std::vector<std::string> launchEnvironment(const std::vector<std::string>& own);

// This process's environment as such a list.
std::vector<std::string> currentEnvironment();

}  // namespace quarnel
