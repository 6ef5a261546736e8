#include "platform/linux/LinkChain.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/FileRules.h"
#include "platform/linux/UniqueFd.h"

namespace quarnel {
namespace {

// A folder its owner shares with nobody: the user's, or root's, without write
// permission for its group or for others. A folder that cannot be looked at
// counts as shared.
bool onlyTrustedUsersMayWrite(const std::string& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0) {
        return false;
    }
    const bool ownerTrusted = status.st_uid == ::geteuid() || status.st_uid == 0;
    return ownerTrusted && (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool trusted(const struct stat& link, const std::string& folder) {
    return link.st_uid == ::geteuid() || link.st_uid == 0 || onlyTrustedUsersMayWrite(folder);
}

}  // namespace

// A target that fills the buffer may have been cut short.
std::optional<std::string> readLinkTarget(int directory, const char* path) {
    char target[PATH_MAX];
    const ssize_t length = ::readlinkat(directory, path, target, sizeof target);
    if (length < 0) {
        return std::nullopt;
    }
    if (static_cast<std::size_t>(length) == sizeof target) {
        errno = ENAMETOOLONG;
        return std::nullopt;
    }
    return std::string(target, static_cast<std::size_t>(length));
}

std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Each link is looked at and read through one descriptor of the link itself,
// so that a link swapped in between the two (in a shared folder) is not read
// in place of the one whose owner was checked.
LinkEnd followLinks(const std::string& path) {
    constexpr int kMostLinks = 40;  // as the kernel follows them
    std::string current = path;
    for (int followed = 0; followed <= kMostLinks; ++followed) {
        const UniqueFd link(::open(current.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
        struct stat status {};
        if (!link.valid() || ::fstat(link.get(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return {current, std::nullopt};
        }
        if (!trusted(status, directoryOf(current))) {
            return {{}, std::string(kForeignLinkRefusal)};
        }
        const std::optional<std::string> next = readLinkTarget(link.get(), "");
        if (!next) {
            return {{}, std::string(std::strerror(errno))};
        }
        current = next->starts_with('/') ? *next : directoryOf(current) + "/" + *next;
    }
    return {{}, std::string(std::strerror(ELOOP))};
}

}  // namespace quarnel
