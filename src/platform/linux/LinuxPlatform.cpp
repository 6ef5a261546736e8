#include "platform/linux/LinuxState.h"

namespace quarnel {

SystemPlatform::SystemPlatform(Helpers helpers)
    : state_(std::make_unique<State>(State{helpers, {}})) {}

SystemPlatform::~SystemPlatform() = default;

}  // namespace quarnel
