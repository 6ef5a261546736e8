#include "keepers/window/SystemdJob.h"

#include <QDBusConnection>

#include "app/SystemBusCall.h"

namespace {

const QString kService = QStringLiteral("org.freedesktop.systemd1");
const QString kPath = QStringLiteral("/org/freedesktop/systemd1");
const QString kManager = QStringLiteral("org.freedesktop.systemd1.Manager");
const QString kSignature = QStringLiteral("uoss");

// Longer than systemd's own default limit for a stop or start (90 s), after
// which systemd ends the job itself and says how.
constexpr int kJobTimeoutMs = 120 * 1000;

}  // namespace

void SystemdJob::run(const QDBusMessage& request, quarnel::ServiceAnswered done) {
    (new SystemdJob(std::move(done)))->send(request);
}

SystemdJob::SystemdJob(quarnel::ServiceAnswered done) : m_done(std::move(done)) {
    m_timeout.setSingleShot(true);
    m_timeout.setInterval(kJobTimeoutMs);
    connect(&m_timeout, &QTimer::timeout, this, [this] {
        finish({quarnel::ServiceAnswer::Outcome::Refused,
                QStringLiteral("systemd did not say within %1 s how the job ended")
                    .arg(kJobTimeoutMs / 1000)
                    .toStdString()});
    });
}

// The signal is listened to, and systemd asked to send it, before the job
// exists, so that its end cannot pass unseen. systemd answers a second
// Subscribe of the same client with an error, which changes nothing.
void SystemdJob::send(const QDBusMessage& request) {
    listenForJobEnds(true);
    QDBusConnection::systemBus().send(
        QDBusMessage::createMethodCall(kService, kPath, kManager, QStringLiteral("Subscribe")));
    // The reply is the job's object path.
    callSystemService(request, QStringLiteral("o"), [this](const QDBusMessage& reply) {
        const quarnel::ServiceAnswer answer = answerOf(reply);
        if (answer.outcome != quarnel::ServiceAnswer::Outcome::Done) {
            finish(answer);
            return;
        }
        accepted(reply.arguments().value(0).value<QDBusObjectPath>().path());
    });
}

void SystemdJob::accepted(const QString& job) {
    const auto ended = m_endedEarly.constFind(job);
    if (ended != m_endedEarly.constEnd()) {
        finishWithResult(*ended);
        return;
    }
    m_job = job;
    m_endedEarly.clear();
    m_timeout.start();
}

// JobRemoved(id, job, unit, result)
void SystemdJob::jobRemoved(const QDBusMessage& signal) {
    const QString job = signal.arguments().value(1).value<QDBusObjectPath>().path();
    const QString result = signal.arguments().value(3).toString();
    if (m_job.isEmpty()) {
        m_endedEarly.insert(job, result);
    } else if (job == m_job) {
        finishWithResult(result);
    }
}

void SystemdJob::finishWithResult(const QString& result) {
    if (result == QStringLiteral("done")) {
        finish({quarnel::ServiceAnswer::Outcome::Done, {}});
    } else {
        finish({quarnel::ServiceAnswer::Outcome::Refused,
                QStringLiteral("The job ended with result %1").arg(result).toStdString()});
    }
}

void SystemdJob::finish(const quarnel::ServiceAnswer& answer) {
    m_timeout.stop();
    listenForJobEnds(false);
    deleteLater();
    m_done(answer);
}

// Without a bus nothing is listened to; the call then finds nobody either.
void SystemdJob::listenForJobEnds(bool listen) {
    QDBusConnection bus = QDBusConnection::systemBus();
    const char* slot = SLOT(jobRemoved(QDBusMessage));
    const QString signal = QStringLiteral("JobRemoved");
    if (listen) {
        bus.connect(kService, kPath, kManager, signal, kSignature, this, slot);
    } else {
        bus.disconnect(kService, kPath, kManager, signal, kSignature, this, slot);
    }
}
