#include "clock/TimedatedService.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>

namespace {

const QString kService = QStringLiteral("org.freedesktop.timedate1");
const QString kPath = QStringLiteral("/org/freedesktop/timedate1");

// Long enough for the user to read the password dialog and answer it.
constexpr int kAnswerTimeoutMs = 5 * 60 * 1000;

// Errors that mean there is nobody to ask, as on a system without systemd:
// then the program's own refusal is what the user needs to read.
bool meansNoService(const QDBusMessage& reply) {
    switch (QDBusError(reply).type()) {
        case QDBusError::ServiceUnknown:
        case QDBusError::NoServer:
        case QDBusError::Disconnected:
        case QDBusError::UnknownObject:
        case QDBusError::UnknownInterface:
        case QDBusError::UnknownMethod:
            return true;
        default:
            return false;
    }
}

}  // namespace

std::unique_ptr<quarnel::TimeService> makeSystemTimeService() {
    return std::make_unique<TimedatedService>();
}

quarnel::TimeService::Answer TimedatedService::stepClock(std::int64_t microseconds) {
    const QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        return {Outcome::Unavailable, {}};
    }
    QDBusMessage request =
        QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("SetTime"));
    const bool relative = true;
    const bool interactive = true;
    request << static_cast<qlonglong>(microseconds) << relative << interactive;
    request.setInteractiveAuthorizationAllowed(true);

    const QDBusMessage reply = bus.call(request, QDBus::Block, kAnswerTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage) {
        return {Outcome::Stepped, {}};
    }
    if (meansNoService(reply)) {
        return {Outcome::Unavailable, {}};
    }
    const QString message =
        reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    return {Outcome::Refused, message.toStdString()};
}
