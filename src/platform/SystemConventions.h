#pragma once

#include <string_view>

#include "keepers/FileNamePart.h"

namespace quarnel {

// The facts of a system that the program's own files and texts follow: how
// paths are split and joined, how the settings file ends its lines, and what
// the open-file dialog offers when the user looks for a time keeper program.
struct SystemConventions {
    // The characters that end a directory part in a program path the user gave.
    std::string_view programPathSeparators;
    // The separator put between a directory and a file name.
    std::string_view pathSeparator;
    std::string_view settingsLineEnd;
    std::string_view programFileFilter;
    // Linux programs have no extension: the dialog shows the executable files.
    bool programDialogShowsExecutablesOnly;
};

inline constexpr SystemConventions kWindowsConventions{
    .programPathSeparators = kWindowsPathSeparators,
    .pathSeparator = "\\",
    .settingsLineEnd = "\r\n",
    .programFileFilter = "Applications (*.exe)",
    .programDialogShowsExecutablesOnly = false,
};

inline constexpr SystemConventions kLinuxConventions{
    .programPathSeparators = kLinuxPathSeparators,
    .pathSeparator = "/",
    .settingsLineEnd = "\n",
    .programFileFilter = "Applications (*)",
    .programDialogShowsExecutablesOnly = true,
};

// The conventions of the system this program is built for.
#ifdef _WIN32
inline constexpr const SystemConventions& kBuiltForConventions = kWindowsConventions;
#else
inline constexpr const SystemConventions& kBuiltForConventions = kLinuxConventions;
#endif

}  // namespace quarnel
