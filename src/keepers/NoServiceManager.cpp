#include "keepers/SystemServiceManager.h"

std::unique_ptr<quarnel::ServiceManager> makeSystemServiceManager() {
    return nullptr;
}
