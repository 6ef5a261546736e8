#pragma once

#include <string>

#include "keepers/KeeperAction.h"
#include "platform/ServiceAnswer.h"

namespace quarnel {

// The system's service manager (systemd), asked to stop or start a service
// so that the desktop's polkit can ask the user for the right; a command in
// a terminal-less program could not ask. Reached over D-Bus from the window's
// side, like the time service.
class ServiceManager {
  public:
    virtual ~ServiceManager() = default;

    // `unit` is the service's full unit name ("chronyd.service").
    virtual void controlUnit(TKeeperAction action, const std::string& unit,
                             ServiceAnswered done) = 0;
};

}  // namespace quarnel
