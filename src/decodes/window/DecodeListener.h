#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "decodes/DecodeEstimator.h"

class QNetworkDatagram;
class QUdpSocket;

// Why the listener does not listen: the step that failed, the name or
// address it was taken with, and the system's reason. The reference words it
// for the user.
struct ListenRefusal {
    enum class Step { Lookup, PortTaken, Bind, Join };
    Step step;
    QString where;
    quint16 port = 0;
    QString reason;
};

// Listens to the decoding programs' UDP reports and keeps the estimate of
// what their DTs say about the local clock. The socket exists only while
// listening; it never sends. Nothing runs while no datagram arrives: the
// timers are armed only by datagrams, one for reading them, one for showing
// them, one for the moment the oldest decode leaves the window.
//
// A decoding program sends the decodes of a period one by one as it finds
// them, within a few milliseconds. They are read together, a read delay after
// the first of them, so that a burst wakes the program twice instead of once
// per datagram; the estimate is made at most once per show delay, not once
// per datagram.
//
// Whoever reaches the socket chooses what Use proposes, so it receives only
// what is sent to the address listened on: a unicast port is held alone (a
// unicast datagram reaches one socket only, and a program sharing the port
// would take the reports away), and a multicast group, which every listener
// of the group receives in full, is shared but nothing else is let in.
class DecodeListener : public QObject {
    Q_OBJECT

  public:
    using Clock = std::function<quarnel::DecodeEstimator::Moment()>;

    explicit DecodeListener(QObject* parent = nullptr);
    ~DecodeListener() override;

    // Opens the socket on the host, an IP address or a name that is looked
    // up first without waiting for the answer, and the port. When that fails,
    // refusal() says why and changed() is raised.
    void listen(const QString& host, quint16 port);
    void stop();
    bool listening() const { return m_socket != nullptr; }
    // Why the last listen failed; nothing after a stop.
    const std::optional<ListenRefusal>& refusal() const { return m_refusal; }
    // The name being looked up before listening; empty when none is.
    const QString& lookingUp() const { return m_lookingUp; }

    // One datagram, as the socket hands it over; one sent to another
    // address than the group listened on is dropped.
    void receive(const QNetworkDatagram& datagram);
    void receive(std::span<const std::uint8_t> datagram);
    static constexpr std::chrono::milliseconds kReadDelay{10};
    static constexpr std::chrono::milliseconds kShowDelay{100};
    // The clock was moved: the decodes so far describe the old one.
    void clockMoved();

    quarnel::DecodeSummary summary();
    std::vector<quarnel::StationSummary> stations();
    const quarnel::DecodeEstimator& estimator() const { return m_estimator; }

    // Replaces the monotonic clock (tests).
    void setClock(Clock clock) { m_clock = std::move(clock); }

  signals:
    // The summary may read differently now.
    void changed();

  private:
    void listenOn(const QHostAddress& address, quint16 port);
    void readPendingDatagrams();
    void armExpiry();

    // The largest datagram UDP can carry fits.
    static constexpr qint64 kLargestDatagram = 65536;

    std::unique_ptr<QUdpSocket> m_socket;
    QHostAddress m_group;  // null unless listening on a multicast group
    QString m_lookingUp;
    // Counts the listens and stops, so that a late answer to the lookup of
    // an address no longer wanted is ignored.
    std::uint64_t m_generation = 0;
    quarnel::DecodeEstimator m_estimator;
    QTimer m_read;
    QTimer m_show;
    QTimer m_expiry;
    Clock m_clock;
    std::optional<ListenRefusal> m_refusal;
};
