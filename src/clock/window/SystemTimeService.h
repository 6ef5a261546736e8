#pragma once

#include <memory>

#include "platform/TimeService.h"

// The system's time service that the platform may ask to step the clock, or
// none where the system has none.
std::unique_ptr<quarnel::TimeService> makeSystemTimeService();
