#include "decodes/window/DecodeListener.h"

#include <QHostInfo>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QUdpSocket>
#include <algorithm>
#include <chrono>
#include <utility>

namespace {

quarnel::DecodeEstimator::Moment monotonicNow() {
    return std::chrono::duration_cast<quarnel::DecodeEstimator::Moment>(
        std::chrono::steady_clock::now().time_since_epoch());
}

// The decoding programs send to IPv4 addresses unless told otherwise, and
// a name such as localhost may stand for both kinds.
QHostAddress preferredAddress(const QList<QHostAddress>& addresses) {
    const auto v4 = std::find_if(addresses.begin(), addresses.end(), [](const QHostAddress& a) {
        return a.protocol() == QAbstractSocket::IPv4Protocol;
    });
    return v4 != addresses.end() ? *v4 : addresses.front();
}

// A group's datagrams are received only on the interfaces that joined it: a
// decoding program on this machine sends them through its own choice of
// interface (often the loopback), one elsewhere through the network.
bool joinEverywhere(QUdpSocket& socket, const QHostAddress& group) {
    bool joined = false;
    for (const QNetworkInterface& network : QNetworkInterface::allInterfaces()) {
        if (network.flags().testFlag(QNetworkInterface::IsUp) &&
            socket.joinMulticastGroup(group, network)) {
            joined = true;
        }
    }
    return joined || socket.joinMulticastGroup(group);
}

// Other listeners of the group get the same datagrams, so its port is
// shared. Bound to the group, the socket gets nothing else; where the system
// cannot bind to a group (Windows), it is bound to every address and
// receive() drops what was sent elsewhere.
std::unique_ptr<QUdpSocket> bindToGroup(const QHostAddress& group, quint16 port) {
    const auto sharing = QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint;
    auto socket = std::make_unique<QUdpSocket>();
    if (socket->bind(group, port, sharing)) {
        return socket;
    }
    socket = std::make_unique<QUdpSocket>();
    socket->bind(group.protocol() == QAbstractSocket::IPv6Protocol ? QHostAddress::AnyIPv6
                                                                   : QHostAddress::AnyIPv4,
                 port, sharing);
    return socket;
}

}  // namespace

DecodeListener::DecodeListener(QObject* parent) : QObject(parent), m_clock(monotonicNow) {
    m_show.setSingleShot(true);
    m_show.setInterval(kShowDelay);
    m_expiry.setSingleShot(true);
    m_read.setSingleShot(true);
    m_read.setInterval(kReadDelay);
    connect(&m_read, &QTimer::timeout, this, &DecodeListener::readPendingDatagrams);
    for (QTimer* timer : {&m_show, &m_expiry}) {
        connect(timer, &QTimer::timeout, this, [this] {
            armExpiry();
            emit changed();
        });
    }
}

DecodeListener::~DecodeListener() = default;

void DecodeListener::listen(const QString& host, quint16 port) {
    stop();
    if (const QHostAddress address(host); !address.isNull()) {
        listenOn(address, port);
        return;
    }
    m_lookingUp = host;
    QHostInfo::lookupHost(
        host, this, [this, port, generation = m_generation](const QHostInfo& info) {
            if (generation != m_generation) {
                return;
            }
            const QString name = std::exchange(m_lookingUp, {});
            if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
                m_refusal =
                    ListenRefusal{ListenRefusal::Step::Lookup, name, port, info.errorString()};
            } else {
                listenOn(preferredAddress(info.addresses()), port);
            }
            emit changed();
        });
}

void DecodeListener::listenOn(const QHostAddress& address, quint16 port) {
    const bool group = address.isMulticast();
    std::unique_ptr<QUdpSocket> socket;
    if (group) {
        socket = bindToGroup(address, port);
    } else {
        // A unicast datagram reaches one socket only: with the port shared,
        // the last program to bind it would take all the reports.
        socket = std::make_unique<QUdpSocket>();
        socket->bind(address, port, QUdpSocket::DontShareAddress);
    }
    if (socket->state() != QAbstractSocket::BoundState) {
        const bool taken = !group && socket->error() == QAbstractSocket::AddressInUseError;
        m_refusal =
            ListenRefusal{taken ? ListenRefusal::Step::PortTaken : ListenRefusal::Step::Bind,
                          address.toString(), port, socket->errorString()};
        return;
    }
    if (group && !joinEverywhere(*socket, address)) {
        m_refusal = ListenRefusal{ListenRefusal::Step::Join, address.toString(), port,
                                  socket->errorString()};
        return;
    }
    // The socket reports the next datagram only after a read, so nothing
    // spins while the reading waits for the rest of a burst.
    connect(socket.get(), &QUdpSocket::readyRead, &m_read, [this] {
        if (!m_read.isActive()) {
            m_read.start();
        }
    });
    m_socket = std::move(socket);
    m_group = group ? address : QHostAddress();
}

void DecodeListener::stop() {
    ++m_generation;
    m_lookingUp.clear();
    m_read.stop();
    m_socket.reset();
    m_group.clear();
    m_refusal.reset();
}

// One system call a datagram: read until the socket has none left, which it
// answers with a datagram from nowhere; asking first whether one is pending
// would take another call each.
void DecodeListener::readPendingDatagrams() {
    while (m_socket) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram(kLargestDatagram);
        if (datagram.senderAddress().isNull()) {
            return;
        }
        receive(datagram);
    }
}

// Where the socket is bound to every address, it also gets what is sent to
// this machine's own addresses; the system tells the destination of each.
void DecodeListener::receive(const QNetworkDatagram& datagram) {
    const QHostAddress destination = datagram.destinationAddress();
    if (!m_group.isNull() && !destination.isNull() &&
        !destination.isEqual(m_group, QHostAddress::ConvertV4MappedToIPv4)) {
        return;
    }
    const QByteArray data = datagram.data();
    receive({reinterpret_cast<const std::uint8_t*>(data.constData()),
             static_cast<std::size_t>(data.size())});
}

// Datagrams that are not messages of the decoders are dropped whole.
void DecodeListener::receive(std::span<const std::uint8_t> datagram) {
    const auto message = quarnel::readDecoderMessage(datagram);
    if (!message) {
        return;
    }
    m_estimator.take(*message, m_clock());
    if (!m_show.isActive()) {
        m_show.start();
    }
}

void DecodeListener::clockMoved() {
    m_estimator.restart(m_clock());
    m_show.stop();
    m_expiry.stop();
    emit changed();
}

quarnel::DecodeSummary DecodeListener::summary() {
    return m_estimator.summary(m_clock());
}

std::vector<quarnel::StationSummary> DecodeListener::stations() {
    return m_estimator.stations(m_clock());
}

void DecodeListener::armExpiry() {
    const auto next = m_estimator.nextExpiry();
    if (!next) {
        m_expiry.stop();
        return;
    }
    const auto wait = std::max<std::chrono::milliseconds>(*next - m_clock(), {});
    m_expiry.start(wait);
}
