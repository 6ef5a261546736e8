#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/FileRules.h"
#include "platform/SystemPlatform.h"
#include "platform/linux/ConfigurationFolder.h"
#include "platform/linux/LinkChain.h"
#include "platform/linux/RegularFile.h"
#include "platform/linux/UniqueFd.h"

namespace quarnel {
namespace {

std::string systemReason() {
    return std::strerror(errno);
}

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// A replaced file keeps its permissions (a private file stays private); a new
// one gets the usual rights.
mode_t modeForReplacing(const std::string& path) {
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        return existing.st_mode & 07777;
    }
    return 0666 & ~currentUmask();
}

// Renaming over a file needs only its folder's permission; a file the user
// may not write to (root may write to any) was made read-only to keep it.
bool userMayNotWrite(const std::string& path) {
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

// A rename reaches the disk with its directory; a file system that cannot
// sync a directory (EINVAL) keeps its entries in order by itself.
Refusal syncDirectory(const std::string& directory) {
    const UniqueFd folder(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid()) {
        return systemReason();
    }
    const bool synced = ::fsync(folder.get()) == 0 || errno == EINVAL;
    return synced ? Refusal() : Refusal(systemReason());
}

bool writeAll(int fd, const std::string& contents) {
    const char* data = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return true;
}

// Makes the folders of `path` that are missing, private to the user as the
// folders of user settings should be. A failure shows in the file's creation.
void makeMissingFolders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            return;
        }
    }
}

}  // namespace

std::string SystemPlatform::currentDirectory() {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr) {
        return ".";
    }
    return buffer;
}

// Only a regular file of sensible size is read: a FIFO or a device under the
// settings file's name must not hang or exhaust the program at start-up. Nor
// is anything read through a link another user may have planted.
std::optional<std::string> SystemPlatform::readFile(const std::string& path) {
    const LinkEnd end = followLinks(path);
    if (end.refusal) {
        return std::nullopt;
    }
    const std::optional<RegularFile> file = RegularFile::open(end.file);
    if (!file || file->size() > kLargestReadableFile) {
        return std::nullopt;
    }
    return file->readAll(kLargestReadableFile);
}

bool SystemPlatform::fileIsMissing(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

void SystemPlatform::makeSettingsFolder(const std::string& path) {
    if (isInConfigurationFolder(path)) {
        makeMissingFolders(path);
    }
}

// The new contents go to a temporary file in the replaced file's directory,
// reach the disk, and then take the old file's name in one rename, which in
// turn reaches the disk with the directory. The settings folder under
// ~/.config is made when missing; elsewhere a missing folder is refused, so
// that a working folder deleted meanwhile is not made again. A folder the
// user may not write to is refused before a file that is read-only, as the
// system would refuse them.
Refusal SystemPlatform::replaceFile(const std::string& path, const std::string& contents) {
    makeSettingsFolder(path);
    const LinkEnd end = followLinks(path);
    if (end.refusal) {
        return end.refusal;
    }
    const std::string& replaced = end.file;
    // A FIFO or a device keeps its name; a directory refuses the rename.
    struct stat existing {};
    if (::stat(replaced.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode) &&
        !S_ISDIR(existing.st_mode)) {
        return std::string(kNotAFileRefusal);
    }
    std::string temporary = replaced + ".XXXXXX";
    UniqueFd file(::mkstemp(temporary.data()));
    if (!file.valid()) {
        return systemReason();
    }
    if (userMayNotWrite(replaced)) {
        ::unlink(temporary.c_str());
        return std::string(kReadOnlyFileRefusal);
    }
    // mkstemp makes the file private to the user.
    ::fchmod(file.get(), modeForReplacing(replaced));

    const bool written = writeAll(file.get(), contents) && ::fsync(file.get()) == 0;
    const std::string writeReason = written ? std::string() : systemReason();
    const bool closed = file.close();
    if (!written || !closed) {
        const std::string reason = written ? systemReason() : writeReason;
        ::unlink(temporary.c_str());
        return reason;
    }
    if (std::rename(temporary.c_str(), replaced.c_str()) != 0) {
        const std::string reason = systemReason();
        ::unlink(temporary.c_str());
        return reason;
    }
    return syncDirectory(directoryOf(replaced));
}

// A name that holds no regular file (a FIFO, a device) takes nothing, and
// opening never blocks. Links are followed as for a replace; the file at the
// end of them is opened without following another link put there meanwhile.
Refusal SystemPlatform::appendToFile(const std::string& path, const std::string& text) {
    if (isInConfigurationFolder(path)) {
        makeMissingFolders(path);
    }
    const LinkEnd end = followLinks(path);
    if (end.refusal) {
        return end.refusal;
    }
    UniqueFd file(::open(
        end.file.c_str(),
        O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY | O_NOFOLLOW, 0666));
    if (!file.valid()) {
        return systemReason();
    }
    struct stat status {};
    if (::fstat(file.get(), &status) != 0) {
        return systemReason();
    }
    if (!S_ISREG(status.st_mode)) {
        return std::string(kNotAFileRefusal);
    }
    if (!writeAll(file.get(), text)) {
        return systemReason();
    }
    return file.close() ? Refusal() : Refusal(systemReason());
}

std::optional<std::uint64_t> SystemPlatform::fileSize(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(status.st_size);
}

Refusal SystemPlatform::renameReplacing(const std::string& from, const std::string& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        return systemReason();
    }
    return std::nullopt;
}

}  // namespace quarnel
