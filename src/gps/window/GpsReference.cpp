#include "gps/window/GpsReference.h"

#include <QLocale>
#include <QSocketNotifier>
#include <QTcpSocket>
#include <variant>

#include "clock/IntegerText.h"
#include "gps/GpsSource.h"
#include "gps/GpsText.h"
#include "gps/GpsdReader.h"
#include "gps/NmeaReader.h"
#include "platform/Platform.h"
#include "widgets/FilterEdit.h"
#include "widgets/ToggleSwitch.h"

namespace {

GpsReference::Moment monotonicNow() {
    return std::chrono::duration_cast<GpsReference::Moment>(
        std::chrono::steady_clock::now().time_since_epoch());
}

// A burst that starts a second or more after its second would be taken for
// the next one's.
constexpr int kLongestDelayMs = 999;

}  // namespace

// A file without the section listens to nothing; its source is gpsd, the
// usual owner of a receiver on Linux, and its delay is none until measured.
GpsReference::GpsReference(ToggleSwitch* listenSwitch, FilterEdit* sourceField,
                           FilterEdit* delayField)
    : m_listen(listenSwitch),
      m_source(sourceField),
      m_delay(delayField),
      m_settings{"Gps",
                 {ReferenceSettings::Switch{"Listen", listenSwitch, false},
                  ReferenceSettings::Field{"Source", sourceField, "gpsd"},
                  ReferenceSettings::Field{"DelayMs", delayField, "0"}}},
      m_clock(monotonicNow) {
    connect(&m_second, &QTimer::timeout, this, &GpsReference::everySecond);
    m_second.setInterval(1000);
    connect(&m_portPoll, &QTimer::timeout, this, &GpsReference::readPort);
    m_portPoll.setInterval(kPortPoll);
    connect(m_listen, &ToggleSwitch::clicked, this, &GpsReference::listen);
    for (FilterEdit* field : {m_source, m_delay}) {
        connect(field, &FilterEdit::changed, this, [this] {
            if (m_listen->isChecked()) {
                listen();
            }
        });
    }
}

GpsReference::~GpsReference() = default;

QString GpsReference::origin() const {
    return QStringLiteral("GPS (") + m_sourceName + u')';
}

QString GpsReference::useToolTip() const {
    return QStringLiteral("Put the shift GPS suggests into Align timeshift");
}

void GpsReference::listen() {
    stop();
    if (m_listen->isChecked()) {
        const QString delayText = m_delay->text().trimmed();
        const auto delay = quarnel::decimalInteger(delayText.toStdString());
        const auto source = quarnel::readGpsSource(m_source->text().toStdString());
        if (!delay || *delay < 0 || *delay > kLongestDelayMs) {
            m_problem = QStringLiteral("the receiver delay \"%1\" is not 0 to %2 ms")
                            .arg(delayText)
                            .arg(kLongestDelayMs);
        } else if (const auto* problem = std::get_if<std::string>(&source)) {
            m_problem = QString::fromStdString(*problem);
        } else {
            if (const auto* gpsd = std::get_if<quarnel::GpsdSource>(&source)) {
                m_gpsd = true;
                m_sourceName = QStringLiteral("gpsd");
                m_gpsdHost = QString::fromStdString(gpsd->host);
                m_gpsdPort = gpsd->port;
            } else {
                const auto& serial = std::get<quarnel::SerialSource>(source);
                m_gpsd = false;
                m_sourceName = QString::fromStdString(serial.device);
                m_baudRate = serial.baudRate;
            }
            m_delayUnits = std::int64_t{*delay} * quarnel::kUnitsPerMillisecond;
            m_second.start();
            openSource();
        }
    }
    emit changed();
}

void GpsReference::stop() {
    m_second.stop();
    closeSource();
    m_problem.clear();
    m_retryAt.reset();
}

// Also called from the socket's own signal: the socket is deleted once the
// signal has returned.
void GpsReference::closeSource() {
    m_portPoll.stop();
    m_portNotifier.reset();
    m_port.reset();
    if (m_socket) {
        m_socket->disconnect(this);
        m_socket.release()->deleteLater();
    }
    m_reader.reset();
}

// A fresh reader for each opening: what a lost connection left half read
// is not mixed into the next one's lines.
void GpsReference::openSource() {
    m_retryAt.reset();
    m_problem.clear();
    m_lastBytes = m_clock();
    m_quietShown = false;
    if (m_gpsd) {
        m_reader = std::make_unique<quarnel::GpsdReader>();
    } else {
        m_reader = std::make_unique<quarnel::NmeaReader>();
    }
    m_reader->setReceiverDelay(m_delayUnits);
    if (m_gpsd) {
        connectToGpsd();
    } else {
        openPort();
    }
}

void GpsReference::connectToGpsd() {
    m_socket = std::make_unique<QTcpSocket>();
    QTcpSocket* socket = m_socket.get();
    connect(socket, &QTcpSocket::connected, this, [socket] {
        socket->write(quarnel::kGpsdWatchCommand.data(),
                      static_cast<qint64>(quarnel::kGpsdWatchCommand.size()));
    });
    connect(socket, &QTcpSocket::readyRead, this, &GpsReference::readSocket);
    connect(socket, &QTcpSocket::errorOccurred, this, [this, socket] {
        const QString where = m_gpsdHost.contains(u':')
                                  ? QStringLiteral("[%1]:%2").arg(m_gpsdHost).arg(m_gpsdPort)
                                  : QStringLiteral("%1:%2").arg(m_gpsdHost).arg(m_gpsdPort);
        lose(socket->error() == QAbstractSocket::RemoteHostClosedError
                 ? QStringLiteral("gpsd at %1 closed the connection").arg(where)
                 : QStringLiteral("cannot reach gpsd at %1: %2").arg(where, socket->errorString()));
    });
    socket->connectToHost(m_gpsdHost, m_gpsdPort);
}

void GpsReference::openPort() {
    auto opening = quarnel::platform().openSerialPort(m_sourceName.toStdString(), m_baudRate);
    if (const auto* refusal = std::get_if<std::string>(&opening)) {
        lose(QStringLiteral("cannot open %1: %2")
                 .arg(m_sourceName, QString::fromStdString(*refusal)));
        return;
    }
    m_port = std::move(std::get<std::unique_ptr<quarnel::SerialPort>>(opening));
    if (const std::optional<int> descriptor = m_port->arrivalDescriptor()) {
        m_portNotifier = std::make_unique<QSocketNotifier>(*descriptor, QSocketNotifier::Read);
        connect(m_portNotifier.get(), &QSocketNotifier::activated, this, &GpsReference::readPort);
    } else {
        // Asked at intervals, a burst's first bytes are stamped when the
        // next poll finds them: up to one interval (and the system timer's
        // own granularity, about 16 ms on Windows) after they came, on
        // average half of it. The receiver delay the user calibrates takes
        // up the average; the rest widens the spread, and with it the ±.
        m_portPoll.start();
    }
}

void GpsReference::readSocket() {
    // The moment of arrival, read before anything else is done with it.
    const quarnel::TimeCount stamp = quarnel::platform().readUniversalTime();
    const QByteArray bytes = m_socket->readAll();
    take(bytes.toStdString(), stamp);
}

void GpsReference::readPort() {
    std::string bytes;
    const quarnel::Refusal refusal = m_port->readArrived(bytes);
    // The read returned with the bytes just now: this is their stamp.
    const quarnel::TimeCount stamp = quarnel::platform().readUniversalTime();
    if (!bytes.empty()) {
        take(bytes, stamp);
    }
    if (refusal) {
        lose(QStringLiteral("reading %1 failed: %2")
                 .arg(m_sourceName, QString::fromStdString(*refusal)));
    }
}

void GpsReference::take(const std::string& bytes, quarnel::TimeCount stamp) {
    m_lastBytes = m_clock();
    m_quietShown = false;
    m_reader->take(bytes, stamp);
    emit changed();
}

void GpsReference::lose(const QString& why) {
    closeSource();
    m_problem = why;
    m_retryAt = m_clock() + kRetryAfter;
    emit changed();
}

void GpsReference::everySecond() {
    const Moment now = m_clock();
    if (m_retryAt) {
        if (now >= *m_retryAt) {
            openSource();
            emit changed();
        }
        return;
    }
    if (m_reader && !m_quietShown && now - m_lastBytes >= quarnel::GpsReader::kQuietLimit) {
        m_quietShown = true;
        m_reader->fellQuiet();
        emit changed();
    }
}

void GpsReference::clockMoved(std::int64_t shift) {
    if (shift != 0 && m_reader) {
        m_reader->clockMoved();
        emit changed();
    }
}

std::optional<std::int64_t> GpsReference::suggestedShift() {
    if (!m_reader || !m_problem.isEmpty()) {
        return std::nullopt;
    }
    return m_reader->suggestedShift();
}

QString GpsReference::line() {
    if (!m_problem.isEmpty()) {
        return QStringLiteral("GPS: ") + m_problem;
    }
    if (!m_reader) {
        return QStringLiteral("GPS: not listening");
    }
    const QString separator = QLocale().decimalPoint();
    return QString::fromStdString(quarnel::formatGpsLine(
        m_reader->status(), m_sourceName.toStdString(), separator.toStdString()));
}
