#include "platform/windows/WindowsPlatform.h"

namespace quarnel {

std::unique_ptr<Platform> makeSystemPlatform(TimeService* /*timeService*/) {
    return std::make_unique<WindowsPlatform>();
}

}  // namespace quarnel
