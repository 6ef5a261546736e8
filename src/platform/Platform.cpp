#include "platform/Platform.h"

#include <cassert>

namespace quarnel {
namespace {
Platform* current = nullptr;
}

Platform& platform() {
    assert(current != nullptr && "setPlatform() must run before the window is built");
    return *current;
}

void setPlatform(Platform& platform) {
    current = &platform;
}

const SystemConventions& Platform::conventions() const {
    return kBuiltForConventions;
}

void Platform::readAutomaticSync(std::function<void(std::optional<bool>)> done) {
    done(std::nullopt);
}

void Platform::setAutomaticSync(bool /*on*/, Completion done) {
    done("The system has no automatic time synchronization to switch");
}

std::string Platform::inCurrentDirectory(const std::string& fileName) {
    return fileInDirectory(currentDirectory(), fileName, conventions().pathSeparator);
}

// Started from the program's own folder, the two are one: it is named once.
std::vector<std::string> Platform::helpPageFolders() {
    std::vector<std::string> folders{currentDirectory()};
    if (std::optional<std::string> installed = installedHelpFolder();
        installed && *installed != folders.front()) {
        folders.push_back(std::move(*installed));
    }
    return folders;
}

std::optional<std::string> Platform::helpPage(const std::string& fileName) {
    for (const std::string& folder : helpPageFolders()) {
        std::string page = fileInDirectory(folder, fileName, conventions().pathSeparator);
        if (!fileIsMissing(page)) {
            return page;
        }
    }
    return std::nullopt;
}

}  // namespace quarnel
