// What listening to the decoders costs: CPU time per 1000 decode datagrams
// received through a real loopback socket and estimated (as the window does
// after each burst), and CPU time of an idle event loop with listening on
// and off. Prints a Markdown table for bench/RESULTS.md.
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QUdpSocket>
#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

#include "decodes/DecodesText.h"
#include "decodes/window/DecodeListener.h"

namespace {

std::int64_t cpuNs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

void put32(QByteArray& out, quint32 value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.append(static_cast<char>(value >> shift));
    }
}

void putText(QByteArray& out, const QByteArray& text) {
    put32(out, static_cast<quint32>(text.size()));
    out.append(text);
}

// A decode as WSJT-X sends it, with a DT around +0.4 s.
QByteArray decodeDatagram(int i) {
    QByteArray out;
    put32(out, 0xadbccbda);
    put32(out, 2);
    put32(out, 2);
    putText(out, "WSJT-X");
    out.append('\1');
    put32(out, 45'015'000);
    put32(out, static_cast<quint32>(-12));
    const auto dt = std::bit_cast<quint64>(0.4 + (i % 21 - 10) * 0.01);
    put32(out, static_cast<quint32>(dt >> 32));
    put32(out, static_cast<quint32>(dt));
    put32(out, 1234);
    putText(out, "~");
    putText(out, "CQ DL1ABC JO62");
    out.append('\0');
    out.append('\0');
    return out;
}

struct Receiver {
    DecodeListener listener;
    int bursts = 0;
    std::size_t received = 0;
    std::string line;
    Receiver() {
        // What the window does on every change: summarise and format.
        QObject::connect(&listener, &DecodeListener::changed, [this] {
            ++bursts;
            const quarnel::DecodeSummary summary = listener.summary();
            received = summary.count;
            line = quarnel::formatDecodesLine(summary, std::chrono::minutes(2), ",");
        });
    }
};

quint16 freePort() {
    QUdpSocket probe;
    probe.bind(QHostAddress::LocalHost, 0);
    return probe.localPort();
}

// Waits without using the CPU, while timers and sockets are served.
void serveEventsFor(std::chrono::milliseconds time) {
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}

// CPU time of the receiving thread for 1000 datagrams, sent from another
// thread in bursts of the given size with a pause after each, until the line
// shows all of them.
double cpuMsPer1000(int burst, std::chrono::milliseconds pause) {
    Receiver receiver;
    const quint16 port = freePort();
    receiver.listener.listen(QHostAddress::LocalHost, port);
    const std::int64_t start = cpuNs(CLOCK_THREAD_CPUTIME_ID);
    std::atomic<bool> done = false;
    std::thread sending([burst, pause, port, &done] {
        QUdpSocket sender;
        for (int sent = 0; sent < 1000;) {
            for (int i = 0; i < burst; ++i, ++sent) {
                sender.writeDatagram(decodeDatagram(sent), QHostAddress::LocalHost, port);
            }
            std::this_thread::sleep_for(pause);
        }
        done = true;
    });
    while (!done) {
        serveEventsFor(pause * 10);
    }
    serveEventsFor(3 * DecodeListener::kShowDelay);
    const std::int64_t used = cpuNs(CLOCK_THREAD_CPUTIME_ID) - start;
    sending.join();
    if (receiver.received != 1000) {
        std::fprintf(stderr, "only %zu of 1000 datagrams were shown\n", receiver.received);
    }
    return static_cast<double>(used) / 1e6;
}

// Process CPU time of an event loop left alone for the given time.
double idleCpuMs(bool listening, int seconds) {
    DecodeListener listener;
    if (listening) {
        listener.listen(QHostAddress::LocalHost, freePort());
    }
    const std::int64_t start = cpuNs(CLOCK_PROCESS_CPUTIME_ID);
    serveEventsFor(std::chrono::seconds(seconds));
    return static_cast<double>(cpuNs(CLOCK_PROCESS_CPUTIME_ID) - start) / 1e6;
}

// The reader and the estimate alone, without socket and event loop: 1000
// datagrams read and taken, and one estimate per 50 of them.
double logicCpuMsPer1000() {
    std::vector<QByteArray> datagrams;
    for (int i = 0; i < 1000; ++i) {
        datagrams.push_back(decodeDatagram(i));
    }
    quarnel::DecodeEstimator estimator;
    const std::int64_t start = cpuNs(CLOCK_THREAD_CPUTIME_ID);
    std::size_t shown = 0;
    for (int i = 0; i < 1000; ++i) {
        const QByteArray& data = datagrams[static_cast<std::size_t>(i)];
        const auto message =
            quarnel::readDecoderMessage({reinterpret_cast<const std::uint8_t*>(data.constData()),
                                         static_cast<std::size_t>(data.size())});
        estimator.take(*message, std::chrono::milliseconds(i));
        if (i % 50 == 49) {
            shown = estimator.summary(std::chrono::milliseconds(i)).count;
        }
    }
    const std::int64_t used = cpuNs(CLOCK_THREAD_CPUTIME_ID) - start;
    return shown == 1000 ? static_cast<double>(used) / 1e6 : -1;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const int idleSeconds = argc > 1 ? std::atoi(argv[1]) : 30;
    std::printf("| figure | Quarnel | target | |\n|---|---|---|---|\n");
    for (const int burst : {1, 50}) {
        std::vector<double> runs;
        for (int run = 0; run < 11; ++run) {
            runs.push_back(cpuMsPer1000(burst, std::chrono::milliseconds(burst == 1 ? 1 : 20)));
        }
        const double used = median(runs);
        std::printf(
            "| (e) CPU time per 1000 decode datagrams received and estimated, arriving %s, "
            "median of 11 | %.2f ms | < 5 ms | %s |\n",
            burst == 1 ? "one every millisecond" : "50 at a time every 20 ms", used,
            used < 5 ? "met" : "**missed**");
    }
    std::vector<double> runs;
    for (int run = 0; run < 11; ++run) {
        runs.push_back(logicCpuMsPer1000());
    }
    std::printf(
        "| (e) for scale: the same without socket and event loop (reader and estimate "
        "alone, an estimate per 50), median of 11 | %.2f ms | | |\n",
        median(runs));
    const double off = idleCpuMs(false, idleSeconds);
    const double on = idleCpuMs(true, idleSeconds);
    std::printf(
        "| (e) CPU time of the idle event loop over %d s, listening off / on | %.2f ms / "
        "%.2f ms | unchanged | %s |\n",
        idleSeconds, off, on, on - off < 1 ? "met" : "**missed**");
    return 0;
}
