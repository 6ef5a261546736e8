#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "clock/TimeCount.h"
#include "timeserver/NtpPacket.h"
#include "timeserver/NtpSample.h"

namespace quarnel {

// What the time server's line shows.
struct TimeServerStatus {
    enum class State {
        NotAsking,
        Asking,    // no measurement yet
        Measured,  // `sample` holds it
        Problem,   // `problem` says what went wrong
    };
    State state = State::NotAsking;
    NtpSample sample;
    ServerProblem problem;
};

// Asks a time server for its time and decides everything about it: when to
// send a request and to which of the server's addresses, which replies count,
// and what the line shows. Sockets, timers and clock readings belong to the
// caller, which passes time in as a monotonic count (for the schedule) and as
// readings of the clock being measured (for the timestamps), so that the
// whole schedule can be tested without waiting.
//
// The schedule keeps to the public pool's etiquette:
//  - a burst of four requests two seconds apart when asking starts and after
//    the clock moved, and then a burst every 64 s, never more often; one
//    request at a time, and never two within two seconds;
//  - a request not answered by a good reply within two seconds counts as
//    unanswered, and the next request goes to the server's next address;
//  - a burst that brings no good reply shows the problem (at the latest
//    eight seconds after it began);
//  - a kiss-o'-death RATE ends the burst and doubles the time between bursts
//    (up to a day and a half); DENY or RSTR ends the asking until the next
//    start.
// The good reply with the smallest delay of a burst is the measurement; the
// line shows the best one so far as soon as the burst brings one, and the
// previous burst's measurement while a new burst has none yet.
class TimeServerPoll {
  public:
    using Moment = std::chrono::milliseconds;

    static constexpr int kRequestsPerBurst = 4;
    static constexpr Moment kRequestSpacing = std::chrono::seconds(2);
    static constexpr Moment kAnswerWait = std::chrono::seconds(2);
    static constexpr Moment kBurstInterval = std::chrono::seconds(64);
    static constexpr Moment kLongestBurstInterval = std::chrono::seconds(1 << 17);

    struct Request {
        std::size_t addressIndex = 0;  // of the addresses the server's name resolved to
        NtpRequest bytes{};
    };

    // Starts asking anew, with the first burst due at once; forgets any
    // measurement, refusal or slowing down. The addresses are the caller's
    // list, counted here and named by index.
    void start(Moment now, std::size_t addressCount);
    void stop();

    // The clock was moved: the measurement and the request under way no
    // longer describe it, so both are dropped and a new burst begins.
    void clockMoved(Moment now);

    // The request to send now, if one is due; the poll keeps its transmit
    // timestamp, taken from `utcNow`, to match the reply.
    std::optional<Request> due(Moment now, TimeCount utcNow);

    // A datagram that came to the socket the requests went out of.
    // `fromAskedServer`: it came from the address and port the last request
    // went to. `utcNow` is the clock's reading when it arrived.
    void received(std::span<const std::uint8_t> datagram, bool fromAskedServer, TimeCount utcNow,
                  Moment now);

    // When the caller must call due() again; nothing while not asking, so that
    // no timer runs then.
    std::optional<Moment> nextWake() const;

    const TimeServerStatus& status() const { return m_status; }

    // The shift that would set the clock to the server's time, in whole
    // milliseconds (100-ns units); only while a measurement is shown.
    std::optional<std::int64_t> suggestedShift() const;

    // The time between bursts, doubled by each RATE.
    Moment burstInterval() const { return m_interval; }

  private:
    struct Outstanding {
        NtpTimestamp transmit = 0;
        TimeCount sentAt = 0;
        Moment deadline{};
    };

    void beginBurst(Moment at);
    void expire(Moment now);
    void finishBurst();
    void take(const NtpSample& sample);
    void reject(const ServerProblem& rejection);

    bool m_asking = false;
    std::size_t m_addressCount = 0;
    std::size_t m_address = 0;
    Moment m_interval = kBurstInterval;

    bool m_inBurst = false;
    Moment m_burstStart{};
    Moment m_nextSend{};  // the next request of the burst, or the next burst
    int m_sent = 0;
    std::optional<Outstanding> m_outstanding;
    std::optional<NtpSample> m_burstBest;
    std::optional<ServerProblem> m_burstRejection;
    std::optional<Moment> m_lastSent;

    TimeServerStatus m_status;
};

}  // namespace quarnel
