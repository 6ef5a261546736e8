#include <unistd.h>

#include "platform/linux/LinuxState.h"

namespace quarnel {

SystemPlatform::SystemPlatform(TimeService* timeService)
    : state_(std::make_unique<State>(State{timeService, {}})) {}

SystemPlatform::~SystemPlatform() = default;

std::string SystemPlatform::userId() {
    return std::to_string(::getuid());
}

}  // namespace quarnel
