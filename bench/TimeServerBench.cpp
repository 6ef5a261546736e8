// What the time server's logic costs: CPU time of one burst (four requests
// built, four replies read and checked, the measurement made and the line
// formatted), without socket and event loop. Prints a Markdown table row for
// bench/RESULTS.md.
#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "timeserver/NtpPacket.h"
#include "timeserver/TimeServerPoll.h"
#include "timeserver/TimeServerText.h"

namespace {

using quarnel::TimeCount;
using Moment = quarnel::TimeServerPoll::Moment;

constexpr int kBurstsPerRun = 1000;
constexpr int kRuns = 101;
constexpr TimeCount kStart = 134'414'208'000'000'000;  // 2026-12-11
constexpr TimeCount kRoundTrip = 300'000;              // 30 ms
constexpr TimeCount kServerAhead = -3'120'000;         // the local clock 312 ms fast

std::int64_t threadCpuNs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

void put64(std::vector<std::uint8_t>& out, std::size_t at, quarnel::NtpTimestamp value) {
    for (std::size_t i = 0; i < 8; ++i) {
        out[at + i] = static_cast<std::uint8_t>(value >> (56 - 8 * i));
    }
}

// The server's reply to the request sent at `sent`, a stratum-2 server.
std::vector<std::uint8_t> replyTo(TimeCount sent) {
    std::vector<std::uint8_t> reply(quarnel::kNtpPacketSize, 0);
    reply[0] = 0x24;  // version 4, server mode
    reply[1] = 2;
    reply[6] = 0x08;   // root delay 31 ms
    reply[10] = 0x01;  // root dispersion 4 ms
    const TimeCount arrived = sent + kRoundTrip / 2 + kServerAhead;
    put64(reply, 24, quarnel::toNtpTimestamp(sent));
    put64(reply, 32, quarnel::toNtpTimestamp(arrived));
    put64(reply, 40, quarnel::toNtpTimestamp(arrived + 1'000));
    return reply;
}

struct Burst {
    std::array<TimeCount, 4> sent{};
    std::array<std::vector<std::uint8_t>, 4> replies;
};

// The bursts' replies are made beforehand: answering is the server's work.
std::vector<Burst> makeBursts() {
    std::vector<Burst> bursts(kBurstsPerRun);
    for (int b = 0; b < kBurstsPerRun; ++b) {
        for (std::size_t i = 0; i < 4; ++i) {
            const TimeCount sent = kStart + b * 64 * quarnel::kUnitsPerSecond +
                                   static_cast<TimeCount>(i) * 2 * quarnel::kUnitsPerSecond;
            bursts[static_cast<std::size_t>(b)].sent[i] = sent;
            bursts[static_cast<std::size_t>(b)].replies[i] = replyTo(sent);
        }
    }
    return bursts;
}

// CPU time of one run of bursts, in nanoseconds per burst; the line of the
// last burst and the count of requests sent and measurements shown are kept
// to show the work was done.
double runNsPerBurst(const std::vector<Burst>& bursts, std::string& line, std::size_t& requests,
                     std::size_t& measured) {
    quarnel::TimeServerPoll poll;
    const std::int64_t start = threadCpuNs();
    poll.start(Moment{}, 1);
    for (std::size_t b = 0; b < bursts.size(); ++b) {
        for (std::size_t i = 0; i < 4; ++i) {
            const Moment sendAt = std::chrono::seconds(static_cast<std::int64_t>(b * 64 + i * 2));
            const TimeCount sent = bursts[b].sent[i];
            requests += poll.due(sendAt, sent).has_value();
            poll.received(bursts[b].replies[i], true, sent + kRoundTrip + 1'000,
                          sendAt + std::chrono::milliseconds(30));
        }
        line = quarnel::formatTimeServerLine(poll.status(), "pool.ntp.org", ",");
        measured += poll.suggestedShift().has_value();
    }
    const std::int64_t used = threadCpuNs() - start;
    return static_cast<double>(used) / static_cast<double>(bursts.size());
}

}  // namespace

int main() {
    const std::vector<Burst> bursts = makeBursts();
    std::vector<double> runs;
    std::string line;
    std::size_t requests = 0;
    std::size_t measured = 0;
    for (int run = 0; run < kRuns; ++run) {
        runs.push_back(runNsPerBurst(bursts, line, requests, measured));
    }
    if (requests != 4u * kRuns * kBurstsPerRun || measured != 1u * kRuns * kBurstsPerRun) {
        std::fprintf(stderr, "only %zu requests and %zu measurements\n", requests, measured);
        return 1;
    }
    std::sort(runs.begin(), runs.end());
    const double medianUs = runs[runs.size() / 2] / 1000;
    std::printf("| figure | Quarnel | target | |\n|---|---|---|---|\n");
    std::printf(
        "| (f) CPU time of one time server burst in the logic (4 requests built, 4 replies read "
        "and checked, the measurement made, the line formatted), median of %d runs of %d bursts "
        "| %.2f \u00b5s | well under 1 ms | %s |\n",
        kRuns, kBurstsPerRun, medianUs, medianUs < 100 ? "met" : "**missed**");
    std::printf("\nThe line of the last burst: %s\n", line.c_str());
    return 0;
}
