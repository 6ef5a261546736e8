#pragma once

#include <memory>

#include "platform/ServiceManager.h"

// The system's service manager that the platform asks to stop and start a
// service, or none where the system has none to ask over a bus.
std::unique_ptr<quarnel::ServiceManager> makeSystemServiceManager();
