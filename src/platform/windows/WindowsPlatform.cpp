#include "platform/windows/WindowsState.h"

namespace quarnel {

SystemPlatform::SystemPlatform(Helpers helpers)
    : state_(std::make_unique<State>(State{helpers.loop})) {}

SystemPlatform::~SystemPlatform() = default;

}  // namespace quarnel
