#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include "platform/Platform.h"

// One running Quarnel per settings file. Two copies with one settings file
// undo each other's work: one starts the time keepers the other stopped, and
// each overwrites the other's settings at close. The first copy holds a lock
// beside the settings file and listens on a local channel named after it; a
// later start finds the lock held, asks that copy to bring its window to the
// front, and ends. Copies with different settings files (two portable
// folders) run side by side.
class SingleInstance : public QObject {
    Q_OBJECT

  public:
    enum class Claim {
        // This copy goes on: it holds the lock and listens. Where no lock can
        // be made beside the settings file (a folder the user may not write,
        // where the settings cannot be saved either) it runs unguarded.
        Run,
        // The copy holding the lock has brought its window to the front.
        HandedOver,
        // The lock is held but nobody answered (the copy holding it hangs or
        // is still starting); the error box has said so.
        Unanswered,
    };

    // Guards the settings file the platform names, making its folder first
    // where a save would make it, so that the lock can lie beside it.
    explicit SingleInstance(quarnel::Platform& platform);

    Claim claim();

    // The lock file of a settings file: beside it, named after it.
    static QString lockFileOf(const QString& settingsFile);

  signals:
    // Another start with these settings wants this copy's window.
    void raiseRequested();

  private:
    void listen();
    void answerCallers();
    bool askRunningCopy();

    QString m_settingsFile;
    QLockFile m_lock;
    QString m_channel;
    QLocalServer m_server;
};
