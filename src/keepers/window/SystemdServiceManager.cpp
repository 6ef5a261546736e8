#include "keepers/window/SystemdServiceManager.h"

#include <QDBusMessage>

#include "keepers/window/SystemdJob.h"

std::unique_ptr<quarnel::ServiceManager> makeSystemServiceManager() {
    return std::make_unique<SystemdServiceManager>();
}

void SystemdServiceManager::controlUnit(quarnel::TKeeperAction action, const std::string& unit,
                                        quarnel::ServiceAnswered done) {
    QDBusMessage request = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.systemd1"), QStringLiteral("/org/freedesktop/systemd1"),
        QStringLiteral("org.freedesktop.systemd1.Manager"),
        action == quarnel::TKeeperAction::Stop ? QStringLiteral("StopUnit")
                                               : QStringLiteral("StartUnit"));
    request << QString::fromStdString(unit) << QStringLiteral("replace");
    SystemdJob::run(request, std::move(done));
}
