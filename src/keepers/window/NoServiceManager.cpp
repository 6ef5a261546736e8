#include "keepers/window/SystemServiceManager.h"

std::unique_ptr<quarnel::ServiceManager> makeSystemServiceManager() {
    return nullptr;
}
