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

QDBusMessage withDefinedValues(const QDBusMessage& request, const QString& replySignature,
                               const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() == replySignature) {
        return reply;
    }
    return QDBusMessage::createError(
        QDBusError::InvalidSignature,
        QStringLiteral("The system service %1 answered %2 with values it does not define "
                       "(signature \"%3\")")
            .arg(request.service(), request.member(), reply.signature()));
}

}  // namespace

void callSystemService(QDBusMessage request, const QString& replySignature,
                       std::function<void(const QDBusMessage&)> answered) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        answered(QDBusMessage::createError(QDBusError::Disconnected, bus.lastError().message()));
        return;
    }
    request.setInteractiveAuthorizationAllowed(true);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(request, kAnswerTimeoutMs));
    QObject::connect(
        watcher, &QDBusPendingCallWatcher::finished, watcher,
        [request, replySignature, answered = std::move(answered)](QDBusPendingCallWatcher* call) {
            call->deleteLater();
            answered(withDefinedValues(request, replySignature, call->reply()));
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
