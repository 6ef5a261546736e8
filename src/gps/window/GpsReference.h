#pragma once

#include <QString>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "gps/GpsReader.h"
#include "references/ClockReference.h"

class FilterEdit;
class QSocketNotifier;
class QTcpSocket;
class ToggleSwitch;

namespace quarnel {
class SerialPort;
}

// GPS as a clock reference: the GPS line, its suggestion from the
// receiver's seconds, and the switch, source and receiver delay of the GPS
// tab with their keys in [Gps]. The source is gpsd, reached over TCP, or a
// receiver on a serial port, read through the platform. The readers decide
// what the bytes say; this object only moves them, stamps them with the
// platform's clock, and keeps one timer a second while listening, which
// notices silence and tries again where the source was not there. While
// not listening there is no socket, no port and no timer.
class GpsReference : public ClockReference {
    Q_OBJECT

  public:
    using Moment = std::chrono::milliseconds;
    using Clock = std::function<Moment()>;

    // How long a source that was not there is left before it is tried again.
    static constexpr Moment kRetryAfter{10'000};
    // How often a port without a descriptor to watch is asked (Windows).
    static constexpr Moment kPortPoll{20};

    GpsReference(ToggleSwitch* listenSwitch, FilterEdit* sourceField, FilterEdit* delayField);
    ~GpsReference() override;

    QString name() const override { return QStringLiteral("Gps"); }
    QString line() override;
    std::optional<std::int64_t> suggestedShift() override;
    QString origin() const override;
    QString useToolTip() const override;
    void clockMoved(std::int64_t shift) override;
    const ReferenceSettings& settings() const override { return m_settings; }
    void settingsLoaded() override { listen(); }

    // Replaces the monotonic clock that measures silence and waits (tests).
    void setClock(Clock clock) { m_clock = std::move(clock); }

  private:
    // Starts, restarts or stops listening to match the GPS tab.
    void listen();
    void stop();
    // Drops the socket or port, its watchers and what was read from it.
    void closeSource();
    // Opens the source that listen() read; on failure the line says why and
    // the next try is kRetryAfter away.
    void openSource();
    void connectToGpsd();
    void openPort();
    void readSocket();
    void readPort();
    void take(const std::string& bytes, quarnel::TimeCount stamp);
    // Drops the socket or port and tries again later.
    void lose(const QString& why);
    void everySecond();

    ToggleSwitch* m_listen;
    FilterEdit* m_source;
    FilterEdit* m_delay;
    ReferenceSettings m_settings;

    // What the line names as the source: "gpsd", "COM4", "/dev/ttyUSB0".
    QString m_sourceName;
    QString m_gpsdHost;
    quint16 m_gpsdPort = 0;
    unsigned m_baudRate = 0;
    bool m_gpsd = false;
    std::int64_t m_delayUnits = 0;
    QString m_problem;  // why nothing is measured; shown in place of the reader's line

    std::unique_ptr<quarnel::GpsReader> m_reader;
    std::unique_ptr<QTcpSocket> m_socket;
    std::unique_ptr<quarnel::SerialPort> m_port;
    std::unique_ptr<QSocketNotifier> m_portNotifier;
    QTimer m_portPoll;
    QTimer m_second;
    Moment m_lastBytes{};
    bool m_quietShown = false;
    std::optional<Moment> m_retryAt;
    Clock m_clock;
};
