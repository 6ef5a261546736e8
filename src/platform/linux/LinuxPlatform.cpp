#include "platform/linux/LinuxPlatform.h"

namespace quarnel {

std::unique_ptr<Platform> makeSystemPlatform() {
    return std::make_unique<LinuxPlatform>();
}

}  // namespace quarnel
