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

}  // namespace quarnel
