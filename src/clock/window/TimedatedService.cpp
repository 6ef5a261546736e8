#include "clock/window/TimedatedService.h"

#include <QDBusVariant>

#include "app/SystemBusCall.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.timedate1");
const QString kPath = QStringLiteral("/org/freedesktop/timedate1");
// SetTime and SetNTP answer with no values; the NTP property comes as a variant.
const QString kNoValues;
const QString kVariant = QStringLiteral("v");

QDBusMessage timedateCall(const QString& method) {
    return QDBusMessage::createMethodCall(kService, kPath, kService, method);
}

}  // namespace

std::unique_ptr<quarnel::TimeService> makeSystemTimeService() {
    return std::make_unique<TimedatedService>();
}

void TimedatedService::stepClock(std::int64_t microseconds, quarnel::ServiceAnswered done) {
    QDBusMessage request = timedateCall(QStringLiteral("SetTime"));
    const bool relative = true;
    const bool interactive = true;
    request << static_cast<qlonglong>(microseconds) << relative << interactive;
    callSystemService(request, kNoValues,
                      [done](const QDBusMessage& reply) { done(answerOf(reply)); });
}

void TimedatedService::readAutomaticSync(std::function<void(std::optional<bool>)> done) {
    QDBusMessage request = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    request << kService << QStringLiteral("NTP");
    callSystemService(request, kVariant, [done](const QDBusMessage& reply) {
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
            done(std::nullopt);
            return;
        }
        const QVariant value = reply.arguments().constFirst().value<QDBusVariant>().variant();
        done(value.typeId() == QMetaType::Bool ? std::optional<bool>(value.toBool())
                                               : std::nullopt);
    });
}

void TimedatedService::setAutomaticSync(bool on, quarnel::ServiceAnswered done) {
    QDBusMessage request = timedateCall(QStringLiteral("SetNTP"));
    const bool interactive = true;
    request << on << interactive;
    callSystemService(request, kNoValues,
                      [done](const QDBusMessage& reply) { done(answerOf(reply)); });
}
