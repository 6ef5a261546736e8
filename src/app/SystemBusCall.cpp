#include "app/SystemBusCall.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusPendingCallWatcher>

namespace {

// Long enough for the user to read the password dialog and answer it; the
// service gives up before (timedated after 25 s) and says so.
constexpr int kAnswerTimeoutMs = 5 * 60 * 1000;

// Errors that mean there is nobody to ask, as on a system without systemd.
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

void callSystemService(QDBusMessage request, std::function<void(const QDBusMessage&)> answered) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        answered(QDBusMessage::createError(QDBusError::Disconnected, bus.lastError().message()));
        return;
    }
    request.setInteractiveAuthorizationAllowed(true);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(request, kAnswerTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [answered = std::move(answered)](QDBusPendingCallWatcher* call) {
                         call->deleteLater();
                         answered(call->reply());
                     });
}

quarnel::ServiceAnswer answerOf(const QDBusMessage& reply) {
    using Outcome = quarnel::ServiceAnswer::Outcome;
    if (reply.type() == QDBusMessage::ReplyMessage) {
        return {Outcome::Done, {}};
    }
    if (meansNoService(reply)) {
        return {Outcome::Unavailable, {}};
    }
    const QString message =
        reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage();
    return {Outcome::Refused, message.toStdString()};
}
