#pragma once

// What a program that sets the clock on purpose checks first: that the clock
// interception library is loaded, and that the process could not move the
// real clock even if a call slipped past the library.

#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <optional>
#include <string>

namespace quarnel::clockshim {

inline constexpr int kCapSysTime = 25;

// True when the process runs as root or holds the right to set the clock.
inline bool mayChangeRealClock() {
    if (geteuid() == 0) {
        return true;
    }
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("CapEff:", 0) == 0) {
            const std::uint64_t effective = std::stoull(line.substr(7), nullptr, 16);
            return (effective >> kCapSysTime & 1U) != 0;
        }
    }
    return true;  // unknown rights count as dangerous
}

using OffsetReader = std::int64_t (*)();

inline OffsetReader offsetReader() {
    return reinterpret_cast<OffsetReader>(dlsym(RTLD_DEFAULT, "quarnel_clockshim_offset_ns"));
}

inline bool isLoaded() {
    return offsetReader() != nullptr;
}

// The virtual clock's distance from the real one, when the library is loaded.
inline std::optional<std::int64_t> offsetNs() {
    if (const OffsetReader reader = offsetReader()) {
        return reader();
    }
    return std::nullopt;
}

}  // namespace quarnel::clockshim
