#include "decodes/DecodeListener.h"

#include <QUdpSocket>
#include <algorithm>
#include <chrono>

namespace {

quarnel::DecodeEstimator::Moment monotonicNow() {
    return std::chrono::duration_cast<quarnel::DecodeEstimator::Moment>(
        std::chrono::steady_clock::now().time_since_epoch());
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

bool DecodeListener::listen(const QHostAddress& address, quint16 port) {
    stop();
    auto socket = std::make_unique<QUdpSocket>();
    // Other listeners on the same port or group keep working where the
    // system allows several.
    const auto sharing = QAbstractSocket::ShareAddress | QAbstractSocket::ReuseAddressHint;
    const bool group = address.isMulticast();
    const QHostAddress local =
        !group ? address
               : (address.protocol() == QAbstractSocket::IPv6Protocol ? QHostAddress::AnyIPv6
                                                                      : QHostAddress::AnyIPv4);
    if (!socket->bind(local, port, sharing) || (group && !socket->joinMulticastGroup(address))) {
        m_problem = QStringLiteral("cannot listen on %1 port %2: %3")
                        .arg(address.toString())
                        .arg(port)
                        .arg(socket->errorString());
        return false;
    }
    // The socket reports the next datagram only after a read, so nothing
    // spins while the reading waits for the rest of a burst.
    connect(socket.get(), &QUdpSocket::readyRead, &m_read, [this] {
        if (!m_read.isActive()) {
            m_read.start();
        }
    });
    m_socket = std::move(socket);
    return true;
}

void DecodeListener::stop(const QString& why) {
    m_read.stop();
    m_socket.reset();
    m_problem = why;
}

// One system call a datagram: read until the socket has none left, which it
// answers as a temporary error; asking first whether one is pending would
// take another call each.
void DecodeListener::readPendingDatagrams() {
    if (!m_socket) {
        return;
    }
    qint64 size = 0;
    while ((size = m_socket->readDatagram(m_datagram.data(), kLargestDatagram)) >= 0) {
        receive({reinterpret_cast<const std::uint8_t*>(m_datagram.data()),
                 static_cast<std::size_t>(size)});
    }
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

void DecodeListener::armExpiry() {
    const auto next = m_estimator.nextExpiry();
    if (!next) {
        m_expiry.stop();
        return;
    }
    const auto wait = std::max<std::chrono::milliseconds>(*next - m_clock(), {});
    m_expiry.start(wait);
}
