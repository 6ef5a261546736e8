#include "platform/linux/LinuxPlatform.h"

namespace quarnel {

std::unique_ptr<Platform> makeSystemPlatform(TimeService* timeService) {
    return std::make_unique<LinuxPlatform>(timeService);
}

}  // namespace quarnel
