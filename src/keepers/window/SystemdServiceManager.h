#pragma once

#include "keepers/window/SystemServiceManager.h"

// systemd on the system bus (org.freedesktop.systemd1.Manager): StopUnit and
// StartUnit with mode "replace", allowing interactive authorization so that
// polkit asks the desktop user. The answer is how systemd's job ended, not
// only that systemd took it (SystemdJob).
class SystemdServiceManager final : public quarnel::ServiceManager {
  public:
    void controlUnit(quarnel::TKeeperAction action, const std::string& unit,
                     quarnel::ServiceAnswered done) override;
};
