#include "timeserver/window/TimeServerReference.h"

#include <QHostInfo>
#include <QLocale>
#include <QNetworkDatagram>
#include <QUdpSocket>
#include <algorithm>
#include <chrono>
#include <span>
#include <variant>

#include "platform/Platform.h"
#include "timeserver/TimeServerText.h"
#include "widgets/FilterEdit.h"
#include "widgets/ToggleSwitch.h"

namespace {

TimeServerReference::Moment monotonicNow() {
    return std::chrono::duration_cast<TimeServerReference::Moment>(
        std::chrono::steady_clock::now().time_since_epoch());
}

// A reply is 48 bytes; extension fields and a MAC may follow.
constexpr qint64 kLargestReply = 2048;

QString lineWith(const QString& problem) {
    return QStringLiteral("Time server: ") + problem;
}

}  // namespace

// A file without the section asks nothing, as a first start does.
TimeServerReference::TimeServerReference(ToggleSwitch* askSwitch, FilterEdit* serverField)
    : m_ask(askSwitch),
      m_server(serverField),
      m_settings{"TimeServer",
                 {ReferenceSettings::Switch{"Ask", askSwitch, false},
                  ReferenceSettings::Field{"Server", serverField, "pool.ntp.org"}}},
      m_clock(monotonicNow) {
    m_wake.setSingleShot(true);
    connect(&m_wake, &QTimer::timeout, this, &TimeServerReference::wake);
    connect(m_ask, &ToggleSwitch::clicked, this, &TimeServerReference::ask);
    connect(m_server, &FilterEdit::changed, this, [this] {
        if (m_ask->isChecked()) {
            ask();
        }
    });
}

TimeServerReference::~TimeServerReference() = default;

QString TimeServerReference::origin() const {
    return QStringLiteral("time server ") + m_serverText;
}

QString TimeServerReference::useToolTip() const {
    return QStringLiteral("Put the shift the time server suggests into Align timeshift");
}

void TimeServerReference::ask() {
    stop();
    if (!m_ask->isChecked()) {
        emit changed();
        return;
    }
    m_serverText = m_server->text().trimmed();
    const auto parsed = quarnel::parseServerAddress(m_serverText.toStdString());
    if (const std::string* problem = std::get_if<std::string>(&parsed)) {
        stop(QString::fromStdString(*problem));
        emit changed();
        return;
    }
    m_address = std::get<quarnel::ServerAddress>(parsed);
    const QString host = QString::fromStdString(m_address.host);
    if (const QHostAddress address(host); !address.isNull()) {
        askAddresses({address});
        return;
    }
    m_lookingUp = true;
    QHostInfo::lookupHost(host, this, [this, generation = m_generation](const QHostInfo& info) {
        if (generation != m_generation) {
            return;
        }
        m_lookingUp = false;
        if (info.error() != QHostInfo::NoError || info.addresses().isEmpty()) {
            stop(QStringLiteral("cannot find %1: %2").arg(m_serverText, info.errorString()));
            emit changed();
            return;
        }
        askAddresses(info.addresses());
    });
    emit changed();
}

void TimeServerReference::askAddresses(const QList<QHostAddress>& addresses) {
    m_addresses = addresses;
    m_poll.start(m_clock(), static_cast<std::size_t>(m_addresses.size()));
    wake();
}

void TimeServerReference::stop(const QString& why) {
    ++m_generation;
    m_lookingUp = false;
    m_problem = why;
    m_poll.stop();
    m_wake.stop();
    m_socket.reset();
    m_addresses.clear();
    m_asked.reset();
}

// The socket is bound to the kind of address it sends to, and made anew
// when the next address is of the other kind.
bool TimeServerReference::openSocketFor(const QHostAddress& address) {
    const bool v6 = address.protocol() == QAbstractSocket::IPv6Protocol;
    const QHostAddress any = v6 ? QHostAddress::AnyIPv6 : QHostAddress::AnyIPv4;
    if (m_socket && m_socket->localAddress() == any) {
        return true;
    }
    m_socket = std::make_unique<QUdpSocket>();
    if (!m_socket->bind(any, 0)) {
        m_socket.reset();
        return false;
    }
    connect(m_socket.get(), &QUdpSocket::readyRead, this, &TimeServerReference::readReplies);
    return true;
}

// A request the system does not send is not retried here: the poll counts
// it as unanswered and moves on to the next address.
void TimeServerReference::wake() {
    const Moment now = m_clock();
    if (const auto request = m_poll.due(now, quarnel::platform().readUniversalTime())) {
        const QHostAddress& address = m_addresses.at(static_cast<qsizetype>(request->addressIndex));
        m_asked = request->addressIndex;
        if (openSocketFor(address)) {
            m_socket->writeDatagram(reinterpret_cast<const char*>(request->bytes.data()),
                                    static_cast<qint64>(request->bytes.size()), address,
                                    m_address.port);
        }
    }
    if (const std::optional<Moment> next = m_poll.nextWake()) {
        m_wake.start(std::max(Moment::zero(), *next - now));
    } else {
        m_wake.stop();
    }
    emit changed();
}

void TimeServerReference::readReplies() {
    // The moment of arrival, read before anything else is done with it.
    const quarnel::TimeCount arrived = quarnel::platform().readUniversalTime();
    const Moment now = m_clock();
    while (m_socket && m_socket->hasPendingDatagrams()) {
        const QNetworkDatagram datagram = m_socket->receiveDatagram(kLargestReply);
        const QByteArray data = datagram.data();
        const bool fromAskedServer =
            m_asked && datagram.senderPort() == m_address.port &&
            datagram.senderAddress().isEqual(m_addresses.at(static_cast<qsizetype>(*m_asked)),
                                             QHostAddress::ConvertV4MappedToIPv4);
        m_poll.received(std::span(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                  static_cast<std::size_t>(data.size())),
                        fromAskedServer, arrived, now);
    }
    wake();
}

void TimeServerReference::clockMoved(std::int64_t shift) {
    if (shift != 0 && !m_addresses.isEmpty()) {
        m_poll.clockMoved(m_clock());
        wake();
    }
}

QString TimeServerReference::line() {
    if (!m_problem.isEmpty()) {
        return lineWith(m_problem);
    }
    quarnel::TimeServerStatus status = m_poll.status();
    if (m_lookingUp) {
        status.state = quarnel::TimeServerStatus::State::Asking;
    }
    const QString separator = QLocale().decimalPoint();
    return QString::fromStdString(
        quarnel::formatTimeServerLine(status, m_serverText.toStdString(), separator.toStdString()));
}
