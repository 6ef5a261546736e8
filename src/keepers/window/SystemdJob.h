#pragma once

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include "platform/ServiceAnswer.h"

// A start or stop of a unit through systemd, followed to its end. systemd
// takes the call at once and answers with a job; whether the service really
// stopped or started it says later, in the JobRemoved signal of that job. A
// stop that fails must not leave the switch claiming the keeper is held.
class SystemdJob final : public QObject {
    Q_OBJECT

  public:
    // Sends `request` (StartUnit or StopUnit) and hands `done` the job's
    // outcome; the object deletes itself once it has answered.
    static void run(const QDBusMessage& request, quarnel::ServiceAnswered done);

  private slots:
    void jobRemoved(const QDBusMessage& signal);

  private:
    explicit SystemdJob(quarnel::ServiceAnswered done);
    void send(const QDBusMessage& request);
    void accepted(const QString& job);
    void finish(const quarnel::ServiceAnswer& answer);
    void finishWithResult(const QString& result);
    void listenForJobEnds(bool listen);

    quarnel::ServiceAnswered m_done;
    QString m_job;
    // Ends seen before systemd's answer named the job: a job may end first.
    QHash<QString, QString> m_endedEarly;
    QTimer m_timeout;
};
