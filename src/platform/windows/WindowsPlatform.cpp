#include "platform/SystemPlatform.h"

namespace quarnel {

// The Win32 port keeps nothing between calls, and Windows has no time
// service to hand a refused step to.
struct SystemPlatform::State {};

SystemPlatform::SystemPlatform(TimeService* /*timeService*/) : state_(std::make_unique<State>()) {}

SystemPlatform::~SystemPlatform() = default;

}  // namespace quarnel
