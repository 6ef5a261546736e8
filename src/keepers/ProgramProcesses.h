#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

// A running process as the system lists it: its id and the file name of the
// executable it runs (no directory).
struct RunningProcess {
    std::uint32_t id = 0;
    std::string fileName;
};

// Whether two file names name the same file, as the file system compares them.
using SameFileName = bool (*)(std::string_view, std::string_view);

inline bool exactlyTheSame(std::string_view left, std::string_view right) {
    return left == right;
}

// The processes that are the configured program: every one whose file name
// equals `fileName` (by `sameFileName`; exactly, as on Linux, unless given),
// in the order listed, except `self` (this process). A name that merely
// contains, or is contained in, `fileName` is another program. An empty
// `fileName` names no program and finds nothing.
std::vector<std::uint32_t> processesOfProgram(const std::vector<RunningProcess>& running,
                                              std::string_view fileName, std::uint32_t self,
                                              SameFileName sameFileName = exactlyTheSame);

}  // namespace quarnel
