#pragma once

#include <filesystem>
#include <string>

// What the file contract tests need of the system they run on, one definition
// per port (linux/FileContractSupport.cpp, windows/FileContractSupport.cpp).
namespace quarnel::testing {

// The path text the program would hand to the platform (UTF-8).
std::string pathText(const std::filesystem::path& path);

// Makes a symbolic link at `link` that leads to `target`; false when the
// system made none.
bool makeSymbolicLink(const std::filesystem::path& target, const std::filesystem::path& link);

// Removes the symbolic link at `link`, and not the file it leads to. The
// scratch folder's clean-up needs it: under Wine, a link seen from Windows is
// the file it leads to.
void removeSymbolicLink(const std::filesystem::path& link);

// A name in `folder` that opens no file but something else that reads and
// takes bytes: a FIFO made there on Linux, the device name NUL on Windows.
std::filesystem::path deviceIn(const std::filesystem::path& folder);

}  // namespace quarnel::testing
