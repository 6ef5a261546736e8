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

}  // namespace quarnel
