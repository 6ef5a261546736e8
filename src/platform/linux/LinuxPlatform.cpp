#include <unistd.h>

#include "platform/linux/LinuxState.h"

namespace quarnel {

SystemPlatform::SystemPlatform(Helpers helpers)
    : m_state(std::make_unique<State>(State{helpers, {}})) {}

SystemPlatform::~SystemPlatform() = default;

std::string SystemPlatform::userId() {
    return std::to_string(::getuid());
}

}  // namespace quarnel
