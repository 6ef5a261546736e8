#include "platform/windows/WindowsPlatform.h"

namespace quarnel {

std::unique_ptr<Platform> makeSystemPlatform() {
    return std::make_unique<WindowsPlatform>();
}

}  // namespace quarnel
