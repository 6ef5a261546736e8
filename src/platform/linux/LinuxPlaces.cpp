// Where an installed Quarnel finds its files on Linux. A file in the current
// directory wins, so a folder holding Quarnel.ini and the help page is used
// as it is (portable use, the tests); otherwise the settings live in the
// user's configuration folder and the help page is the installed copy.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/SystemPlatform.h"
#include "platform/linux/ConfigurationFolder.h"
#include "platform/linux/LinkChain.h"

namespace quarnel {
namespace {

// The folder of the settings under the user's configuration folder.
constexpr std::string_view kSettingsFolder = "quarnel";

// The installed help page, relative to the folder of the installed program
// (given by the build from its install folders, e.g. "../share/doc/quarnel").
constexpr std::string_view kDocumentsFromProgram = QUARNEL_DOCUMENTS_FROM_PROGRAM;

// Any directory entry, also a link that points nowhere or something that is
// not a file: the user put it there, so it is the one the user means.
bool hasEntry(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

// The folder `relative` leads to from `folder`: "../share/doc/quarnel" from
// "/usr/bin" is "/usr/share/doc/quarnel".
std::string folderFrom(std::string folder, std::string_view relative) {
    while (relative.starts_with("../")) {
        folder = directoryOf(folder);
        relative.remove_prefix(3);
    }
    return folder == "/" ? "/" + std::string(relative) : fileInDirectory(folder, relative);
}

// The running program's file, links resolved, so that a link to it in
// another folder finds the files beside the real program.
std::optional<std::string> runningProgramPath() {
    return readLinkTarget(AT_FDCWD, "/proc/self/exe");
}

}  // namespace

std::string SystemPlatform::settingsFile(const std::string& fileName) {
    const std::string portable = inCurrentDirectory(fileName);
    if (hasEntry(portable)) {
        return portable;
    }
    const std::optional<std::string> configuration = configurationFolder();
    if (!configuration) {
        return portable;
    }
    return fileInDirectory(fileInDirectory(*configuration, kSettingsFolder), fileName);
}

// The installed help page is found from the running program's folder, so
// that a moved install keeps working.
std::optional<std::string> SystemPlatform::installedHelpFolder() {
    const std::optional<std::string> program = runningProgramPath();
    if (!program) {
        return std::nullopt;
    }
    return folderFrom(directoryOf(*program), kDocumentsFromProgram);
}

// The running program itself: an installed program has no copy in the folder
// it is started from, and its own file is the one whose version matters.
std::string SystemPlatform::programFile() {
    return "/proc/self/exe";
}

}  // namespace quarnel
