#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "references/ClockReference.h"
#include "timeserver/ServerAddress.h"
#include "timeserver/TimeServerPoll.h"

class FilterEdit;
class QUdpSocket;
class ToggleSwitch;

// A time server as a clock reference: the Time server line, its suggestion
// from the server's answers, and the switch and server field of the Setup
// tab with their keys in [TimeServer]. The poll decides when to ask and what
// an answer says; this object only resolves the name, moves the datagrams
// and keeps one timer for the poll's next moment. While not asking there is
// no socket and no timer.
class TimeServerReference : public ClockReference {
    Q_OBJECT

  public:
    using Moment = quarnel::TimeServerPoll::Moment;
    using Clock = std::function<Moment()>;

    TimeServerReference(ToggleSwitch* askSwitch, FilterEdit* serverField);
    ~TimeServerReference() override;

    QString name() const override { return QStringLiteral("TimeServer"); }
    QString line() override;
    std::optional<std::int64_t> suggestedShift() override { return m_poll.suggestedShift(); }
    QString origin() const override;
    QString useToolTip() const override;
    void clockMoved(std::int64_t shift) override;
    const ReferenceSettings& settings() const override { return m_settings; }
    void settingsLoaded() override { ask(); }

    // Replaces the monotonic clock of the schedule (tests).
    void setClock(Clock clock) { m_clock = std::move(clock); }

  private:
    // Starts, restarts or stops asking to match the Setup tab.
    void ask();
    void askAddresses(const QList<QHostAddress>& addresses);
    void stop(const QString& why = {});
    // Sends the request that is due and arms the timer for the next moment.
    void wake();
    void readReplies();
    bool openSocketFor(const QHostAddress& address);

    ToggleSwitch* m_ask;
    FilterEdit* m_server;
    ReferenceSettings m_settings;

    QString m_serverText;  // as the user typed it, for the line
    quarnel::ServerAddress m_address;
    QList<QHostAddress> m_addresses;
    std::optional<std::size_t> m_asked;  // the address the last request went to
    bool m_lookingUp = false;
    QString m_problem;  // why nothing can be asked
    // Counts the starts and stops, so that a late answer to the lookup of a
    // server no longer wanted is ignored.
    std::uint64_t m_generation = 0;

    std::unique_ptr<QUdpSocket> m_socket;
    QTimer m_wake;
    quarnel::TimeServerPoll m_poll;
    Clock m_clock;
};
