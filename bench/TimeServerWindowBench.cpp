// What asking a time server costs the window: CPU time of the window's
// thread for one whole burst (four requests two seconds apart, the replies
// read, checked and shown in the line) against a server on loopback that
// answers from a thread of its own, and the CPU time of the idle event loop
// with asking off. Prints a Markdown table for bench/RESULTS.md.
#include <QApplication>
#include <QEventLoop>
#include <QNetworkDatagram>
#include <QTimer>
#include <QUdpSocket>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

#include "platform/Platform.h"
#include "platform/SystemPlatform.h"
#include "timeserver/NtpPacket.h"
#include "timeserver/window/TimeServerReference.h"
#include "widgets/FilterEdit.h"
#include "widgets/ToggleSwitch.h"

namespace {

std::int64_t cpuNs(clockid_t clock) {
    timespec now{};
    clock_gettime(clock, &now);
    return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

void serveEventsFor(std::chrono::milliseconds time) {
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}

// A stratum-2 server on the machine's own clock, answering every request
// from its own thread, so that its work is not counted.
class LoopbackServer {
  public:
    LoopbackServer() {
        std::atomic<bool> bound = false;
        m_thread = std::thread([this, &bound] {
            QUdpSocket socket;
            socket.bind(QHostAddress::LocalHost, 0);
            m_port = socket.localPort();
            bound = true;
            while (!m_stop) {
                if (!socket.waitForReadyRead(50)) {
                    continue;
                }
                while (socket.hasPendingDatagrams()) {
                    answer(socket, socket.receiveDatagram());
                }
            }
        });
        while (!bound) {
            std::this_thread::yield();
        }
    }
    ~LoopbackServer() {
        m_stop = true;
        m_thread.join();
    }
    quint16 port() const { return m_port; }

  private:
    static void answer(QUdpSocket& socket, const QNetworkDatagram& request) {
        const QByteArray asked = request.data();
        if (asked.size() < 48) {
            return;
        }
        QByteArray reply(48, '\0');
        reply[0] = static_cast<char>(4 << 3 | 4);  // version 4, server
        reply[1] = 2;
        reply[10] = 1;  // root dispersion 1/256 s
        reply.replace(24, 8, asked.mid(40, 8));
        const quarnel::NtpTimestamp now =
            quarnel::toNtpTimestamp(quarnel::platform().readUniversalTime());
        for (int i = 0; i < 8; ++i) {
            reply[32 + i] = reply[40 + i] = static_cast<char>(now >> (56 - 8 * i));
        }
        socket.writeDatagram(reply, request.senderAddress(),
                             static_cast<quint16>(request.senderPort()));
    }

    std::thread m_thread;
    std::atomic<bool> m_stop = false;
    quint16 m_port = 0;
};

struct Burst {
    double switchingOnMs;  // the first burst: the socket made and bound
    double nextMs;         // a later burst on the same socket
    double quietMs;        // the same time with nothing to do, for scale
    std::string line;
};

// CPU time of this thread for the first burst after switching asking on,
// and for a burst that follows (as after a move of the clock, or every 64 s),
// each until its fourth answer is shown.
Burst burstCpu(const LoopbackServer& server) {
    ToggleSwitch ask;
    FilterEdit field;
    TimeServerReference reference(&ask, &field);
    field.setText(QStringLiteral("127.0.0.1:%1").arg(server.port()));
    Burst burst;
    // What the window does on every change: the line and the button.
    QObject::connect(&reference, &ClockReference::changed, [&] {
        burst.line = reference.line().toStdString();
        static_cast<void>(reference.suggestedShift());
    });
    // Four requests two seconds apart, the last answered within milliseconds.
    constexpr std::chrono::milliseconds kBurstTime{6500};
    std::int64_t start = cpuNs(CLOCK_THREAD_CPUTIME_ID);
    ask.click();
    serveEventsFor(kBurstTime);
    burst.switchingOnMs = static_cast<double>(cpuNs(CLOCK_THREAD_CPUTIME_ID) - start) / 1e6;
    start = cpuNs(CLOCK_THREAD_CPUTIME_ID);
    reference.clockMoved(1);
    serveEventsFor(kBurstTime);
    burst.nextMs = static_cast<double>(cpuNs(CLOCK_THREAD_CPUTIME_ID) - start) / 1e6;
    // The burst is over: the next is 64 s away, so the loop now waits idle.
    start = cpuNs(CLOCK_THREAD_CPUTIME_ID);
    serveEventsFor(kBurstTime);
    burst.quietMs = static_cast<double>(cpuNs(CLOCK_THREAD_CPUTIME_ID) - start) / 1e6;
    QObject::disconnect(&reference, &ClockReference::changed, nullptr, nullptr);
    ask.click();
    return burst;
}

double idleCpuMs(int seconds) {
    ToggleSwitch ask;
    FilterEdit field;
    TimeServerReference reference(&ask, &field);
    const std::int64_t start = cpuNs(CLOCK_PROCESS_CPUTIME_ID);
    serveEventsFor(std::chrono::seconds(seconds));
    return static_cast<double>(cpuNs(CLOCK_PROCESS_CPUTIME_ID) - start) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    quarnel::SystemPlatform system;
    quarnel::setPlatform(system);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    // Before the server's thread exists, whose waiting would count.
    const double idle = idleCpuMs(30);
    const LoopbackServer server;
    std::vector<double> first;
    std::vector<double> next;
    std::vector<double> quiet;
    std::string line;
    for (int i = 0; i < runs; ++i) {
        const Burst burst = burstCpu(server);
        first.push_back(burst.switchingOnMs);
        next.push_back(burst.nextMs);
        quiet.push_back(burst.quietMs);
        line = burst.line;
    }
    std::sort(first.begin(), first.end());
    std::sort(next.begin(), next.end());
    std::sort(quiet.begin(), quiet.end());
    std::printf("last line: %s\n\n", line.c_str());
    std::printf("| figure | reading | target |\n|---|---|---|\n");
    std::printf(
        "| (f) CPU time of the window's thread for a burst on loopback, median of %d | "
        "%.3f ms | well under 1 ms |\n",
        runs, next[next.size() / 2]);
    std::printf(
        "| (f) for scale: the same thread over the same 6.5 s right after, waiting for "
        "the next burst | %.3f ms | |\n",
        quiet[quiet.size() / 2]);
    std::printf("| (f) the same for the first burst, the socket made and bound | %.3f ms | |\n",
                first[first.size() / 2]);
    std::printf(
        "| (f) CPU time of the idle event loop over 30 s, asking off | %.2f ms | "
        "near 0 |\n",
        idle);
    return 0;
}
