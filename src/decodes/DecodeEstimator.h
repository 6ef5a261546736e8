#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "decodes/DecodeMessage.h"

namespace quarnel {

// What the decodes of the last minutes say about the local clock. A decoder
// measures each signal's DT against its own idea of when the period started,
// so a clock that runs ahead makes every station look late (DT above zero),
// and the remedy is a shift by minus the typical DT.
struct DtEstimate {
    double medianDeltaTime = 0.0;     // seconds
    double spread = 0.0;              // median absolute deviation from it, seconds
    std::int64_t suggestedShift = 0;  // 100-ns units, a whole number of 0.05 s
};

struct DecodeSummary {
    std::size_t count = 0;               // decodes in the window of the client shown
    std::optional<DtEstimate> estimate;  // none while there are too few
    bool moreArrived = false;            // more came in the window than are kept
};

// One station's decodes in the window of the client shown: their median DT
// is what that station's clock, and not this one, is off by.
struct StationSummary {
    std::string call;
    std::size_t count = 0;
    std::chrono::milliseconds lastHeard{};  // on the estimator's clock
    DtEstimate estimate;
};

// Gathers the DTs of the decoders' reports and estimates from them. Time is
// whatever steadily running count the caller passes in (the program passes a
// monotonic clock), so that the window can be tested without waiting.
//
// Which decodes count:
//  - new, on-air, normal-confidence decodes only: replays repeat decodes
//    already counted, recordings say nothing about this clock, and
//    low-confidence decodes are the ones that may be false, with a DT of
//    chance;
//  - each client (decoding program) separately, and the line shows the client
//    with the most decodes in the window;
//  - when a client's Status names another mode, or a decode carries another
//    mode mark than the ones gathered, that client starts anew: DTs of
//    different modes are measured against different period starts;
//  - a Clear starts the client anew, so the estimate describes what the
//    operator sees in the program;
//  - each decode is also booked to the station that sent it, when the
//    message names one (senderOf), for the stations' own DTs;
//  - after the clock has been moved (restart), everything starts anew, and
//    decodes arriving in the settle time that follows are not counted either:
//    they come from audio recorded before the move.
class DecodeEstimator {
  public:
    using Moment = std::chrono::milliseconds;

    struct Settings {
        Moment window = std::chrono::minutes(2);
        std::size_t minimumCount = 5;
        Moment settle = std::chrono::seconds(15);
    };

    DecodeEstimator() = default;
    explicit DecodeEstimator(Settings settings) : m_settings(settings) {}

    const Settings& settings() const { return m_settings; }

    void take(const DecoderMessage& message, Moment now);
    void restart(Moment now);

    DecodeSummary summary(Moment now);
    // The stations heard in the window of the client shown, most recently
    // heard first. One decode is enough for a station's DT: a rare station
    // may be heard only a few times.
    std::vector<StationSummary> stations(Moment now);

    // When the oldest decode leaves the window and the summary changes by
    // itself; nothing while no decode is held.
    std::optional<Moment> nextExpiry() const;

  private:
    struct Sample {
        Moment received;
        double deltaTime;
        std::string sender;  // empty when the message names none
    };
    struct Client {
        std::string statusMode;
        std::string decodeMode;
        std::deque<Sample> samples;
        // When the newest decode dropped for want of room arrived: until it
        // would have left the window, more arrived than are kept.
        std::optional<Moment> lastDropped;

        void clear() {
            samples.clear();
            lastDropped.reset();
        }
    };

    void takeDecode(const DecodeMessage& decode, Moment now);
    Client* clientFor(const std::string& id);
    void expire(Moment now);
    // The client with the most decodes in the window, after expiring.
    const Client* shownClient(Moment now);

    Settings m_settings;
    std::map<std::string, Client> m_clients;
    std::optional<Moment> m_settledAt;
};

}  // namespace quarnel
