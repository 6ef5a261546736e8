#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QThread>

#include "app/QuarnelApplication.h"
#include "app/UnitState.h"

namespace {

// What the running copy answers once it has brought its window forward.
const QByteArray kAnswer = QByteArrayLiteral("raised\n");

// A copy that holds the lock but does not answer may still be starting (it
// listens only once it has the lock, and answers once its window is up), so
// it is asked a few times before the user is told.
constexpr int kAttempts = 4;
constexpr int kConnectMs = 250;
constexpr int kAnswerMs = 250;
constexpr unsigned long kPauseMs = 250;

// The settings file, its folder made where a save would make it.
QString preparedSettingsFile(quarnel::Platform& platform) {
    const std::string path = platform.settingsFile(IniFileName.toStdString());
    platform.makeSettingsFolder(path);
    return QString::fromStdString(path);
}

// The settings file's folder with its links resolved where it exists, so that
// one folder reached by two paths gives one channel.
QString absoluteSettingsPath(const QString& settingsFile) {
    const QFileInfo file(settingsFile);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? file.absoluteFilePath() : QDir(folder).filePath(file.fileName());
}

// The channel of one user's copy with one settings file. Local socket names
// are shared by all users of the machine (Linux puts them in /tmp), so the
// user is part of the name; the path's hash keeps it short enough for a
// socket's path.
QString channelName(const QString& settingsFile, const QString& userId) {
    const QByteArray hash = QCryptographicHash::hash(absoluteSettingsPath(settingsFile).toUtf8(),
                                                     QCryptographicHash::Sha256);
    return QStringLiteral("quarnel-%1-%2").arg(userId, QString::fromLatin1(hash.toHex().left(32)));
}

}  // namespace

SingleInstance::SingleInstance(quarnel::Platform& platform)
    : m_settingsFile(preparedSettingsFile(platform)),
      m_lock(lockFileOf(m_settingsFile)),
      m_channel(channelName(m_settingsFile, QString::fromStdString(platform.userId()))) {
    // The lock is held as long as Quarnel runs: only a copy that is gone
    // leaves a stale one, however old it is.
    m_lock.setStaleLockTime(0);
    connect(&m_server, &QLocalServer::newConnection, this, &SingleInstance::answerCallers);
}

// "Quarnel.ini.lock", visible: the same name on every system, sorted beside
// the file it guards, so a user who sees it knows what it belongs to. It
// exists only while Quarnel runs (and after a crash, until the next start
// takes it over).
QString SingleInstance::lockFileOf(const QString& settingsFile) {
    return settingsFile + QStringLiteral(".lock");
}

SingleInstance::Claim SingleInstance::claim() {
    for (int attempt = 1;; ++attempt) {
        // The lock is tried again each time: the running copy may have ended
        // meanwhile. A lock whose owner is gone is taken over.
        if (m_lock.tryLock()) {
            listen();
            return Claim::Run;
        }
        if (m_lock.error() != QLockFile::LockFailedError) {
            return Claim::Run;
        }
        if (askRunningCopy()) {
            return Claim::HandedOver;
        }
        if (attempt == kAttempts) {
            break;
        }
        QThread::msleep(kPauseMs);
    }
    showFatalErrorBox(QStringLiteral("A copy of Quarnel is already running with the settings file "
                                     "%1, but it does not answer. Close it, or wait until it has "
                                     "started, and start Quarnel again")
                          .arg(QDir::toNativeSeparators(m_settingsFile)));
    return Claim::Unanswered;
}

// Whoever holds the lock owns the channel: a socket left by a copy that
// crashed is removed first. Where listening fails all the same, this copy
// runs unreachable, and a later start says that it does not answer.
void SingleInstance::listen() {
    QLocalServer::removeServer(m_channel);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_channel);
}

// A connection is the request; the answer tells the caller it may end.
void SingleInstance::answerCallers() {
    while (QLocalSocket* caller = m_server.nextPendingConnection()) {
        connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
        emit raiseRequested();
        caller->write(kAnswer);
        caller->disconnectFromServer();
    }
}

bool SingleInstance::askRunningCopy() {
    QLocalSocket socket;
    socket.connectToServer(m_channel);
    if (!socket.waitForConnected(kConnectMs)) {
        return false;
    }
    const QDeadlineTimer deadline(kAnswerMs);
    QByteArray answer;
    while (answer.size() < kAnswer.size() &&
           socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
        answer += socket.readAll();
    }
    answer += socket.readAll();
    return answer == kAnswer;
}
