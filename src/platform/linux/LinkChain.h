#pragma once

#include <optional>
#include <string>

#include "platform/Platform.h"

namespace quarnel {

// Where a chain of symbolic links ends, or why it is not followed.
struct LinkEnd {
    std::string file;  // `path` itself when it is no link; need not exist yet
    Refusal refusal;   // set when the chain is not followed
};

// Follows the symbolic links at `path` one by one, as the kernel would, so
// that a save replaces the file a link points to and the link stays a link.
// A link is followed only when the user running the program or root owns it,
// or when nobody else may write to the folder holding it: in a folder others
// may write to, another user could have planted it to aim the settings at the
// user's own files (kForeignLinkRefusal). A loop, or a link that cannot be
// read, is refused with the system's reason.
LinkEnd followLinks(const std::string& path);

// What the symbolic link `path` (relative to the folder `directory`, an
// AT_FDCWD or an open descriptor; an empty path names the descriptor itself)
// holds, or nothing with errno set: ENAMETOOLONG for a target longer than a
// path may be.
std::optional<std::string> readLinkTarget(int directory, const char* path);

// The folder of a path as the kernel resolves it: "." for a bare name.
std::string directoryOf(const std::string& path);

}  // namespace quarnel
