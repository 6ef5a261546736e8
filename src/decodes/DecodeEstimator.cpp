#include "decodes/DecodeEstimator.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <type_traits>
#include <vector>

#include "clock/TimeCount.h"
#include "decodes/DecodeSender.h"

namespace quarnel {

namespace {

// A flood of datagrams, or of made-up client ids, must not grow without bound.
constexpr std::size_t kMostSamplesPerClient = 10'000;
constexpr std::size_t kMostClients = 32;
// No decoder reports a DT this far off; such a value is not a clock reading.
constexpr double kLargestDeltaTime = 60.0;

double median(std::vector<double>& values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    const double upper = *middle;
    if (values.size() % 2 != 0) {
        return upper;
    }
    const double lower = *std::max_element(values.begin(), middle);
    return (lower + upper) / 2;
}

DtEstimate estimateFrom(std::vector<double> deltaTimes) {
    DtEstimate estimate;
    estimate.medianDeltaTime = median(deltaTimes);
    for (double& value : deltaTimes) {
        value = std::abs(value - estimate.medianDeltaTime);
    }
    estimate.spread = median(deltaTimes);
    // Rounded to what one notch of the wheel adds, so the operator can
    // fine-tune it the same way.
    estimate.suggestedShift = roundedShift(-estimate.medianDeltaTime, kWheelStep);
    return estimate;
}

}  // namespace

void DecodeEstimator::take(const DecoderMessage& message, Moment now) {
    std::visit(
        [&](const auto& m) {
            using Type = std::decay_t<decltype(m)>;
            if constexpr (std::is_same_v<Type, DecodeMessage>) {
                takeDecode(m, now);
            } else if constexpr (std::is_same_v<Type, StatusMessage>) {
                Client* client = clientFor(m.clientId);
                if (!client) {
                    return;
                }
                // The first Status only tells the mode of what was gathered.
                if (!client->statusMode.empty() && client->statusMode != m.mode) {
                    client->clear();
                }
                client->statusMode = m.mode;
            } else if constexpr (std::is_same_v<Type, ClearMessage>) {
                if (const auto found = m_clients.find(m.clientId); found != m_clients.end()) {
                    found->second.clear();
                }
            }
        },
        message);
}

void DecodeEstimator::takeDecode(const DecodeMessage& decode, Moment now) {
    if (!decode.isNew || decode.offAir || decode.lowConfidence ||
        std::abs(decode.deltaTime) > kLargestDeltaTime) {
        return;
    }
    if (m_settledAt && now < *m_settledAt) {
        return;
    }
    Client* client = clientFor(decode.clientId);
    if (!client) {
        return;
    }
    if (client->decodeMode != decode.mode) {
        client->decodeMode = decode.mode;
        client->clear();
    }
    client->samples.push_back({now, decode.deltaTime, senderOf(decode.text).value_or("")});
    if (client->samples.size() > kMostSamplesPerClient) {
        client->lastDropped = client->samples.front().received;
        client->samples.pop_front();
    }
}

// A new client takes the place of one that holds no decodes; when every place
// is taken by a client with decodes, the newcomer is ignored.
DecodeEstimator::Client* DecodeEstimator::clientFor(const std::string& id) {
    if (const auto found = m_clients.find(id); found != m_clients.end()) {
        return &found->second;
    }
    if (m_clients.size() >= kMostClients) {
        std::erase_if(m_clients, [](const auto& entry) { return entry.second.samples.empty(); });
        if (m_clients.size() >= kMostClients) {
            return nullptr;
        }
    }
    return &m_clients[id];
}

void DecodeEstimator::restart(Moment now) {
    for (auto& [id, client] : m_clients) {
        client.clear();
    }
    m_settledAt = now + m_settings.settle;
}

void DecodeEstimator::expire(Moment now) {
    for (auto& [id, client] : m_clients) {
        while (!client.samples.empty() &&
               now - client.samples.front().received >= m_settings.window) {
            client.samples.pop_front();
        }
        if (client.lastDropped && now - *client.lastDropped >= m_settings.window) {
            client.lastDropped.reset();
        }
    }
}

const DecodeEstimator::Client* DecodeEstimator::shownClient(Moment now) {
    expire(now);
    const Client* shown = nullptr;
    for (const auto& [id, client] : m_clients) {
        if (!shown || client.samples.size() > shown->samples.size()) {
            shown = &client;
        }
    }
    return shown;
}

DecodeSummary DecodeEstimator::summary(Moment now) {
    const Client* shown = shownClient(now);
    DecodeSummary summary;
    if (!shown) {
        return summary;
    }
    summary.count = shown->samples.size();
    summary.moreArrived = shown->lastDropped.has_value();
    if (summary.count >= std::max<std::size_t>(m_settings.minimumCount, 1)) {
        std::vector<double> deltaTimes;
        deltaTimes.reserve(summary.count);
        for (const Sample& sample : shown->samples) {
            deltaTimes.push_back(sample.deltaTime);
        }
        summary.estimate = estimateFrom(std::move(deltaTimes));
    }
    return summary;
}

std::vector<StationSummary> DecodeEstimator::stations(Moment now) {
    const Client* shown = shownClient(now);
    if (!shown) {
        return {};
    }
    struct Heard {
        Moment last{};
        std::vector<double> deltaTimes;
    };
    std::map<std::string_view, Heard> heard;
    for (const Sample& sample : shown->samples) {
        if (!sample.sender.empty()) {
            Heard& station = heard[sample.sender];
            station.last = sample.received;
            station.deltaTimes.push_back(sample.deltaTime);
        }
    }
    std::vector<StationSummary> stations;
    stations.reserve(heard.size());
    for (auto& [call, station] : heard) {
        const std::size_t count = station.deltaTimes.size();
        stations.push_back(
            {std::string(call), count, station.last, estimateFrom(std::move(station.deltaTimes))});
    }
    // Stable, so that stations last heard in the same moment keep the order
    // of their calls.
    std::stable_sort(stations.begin(), stations.end(),
                     [](const auto& a, const auto& b) { return a.lastHeard > b.lastHeard; });
    return stations;
}

std::optional<DecodeEstimator::Moment> DecodeEstimator::nextExpiry() const {
    std::optional<Moment> next;
    for (const auto& [id, client] : m_clients) {
        if (!client.samples.empty()) {
            const Moment expiry = client.samples.front().received + m_settings.window;
            next = next ? std::min(*next, expiry) : expiry;
        }
    }
    return next;
}

}  // namespace quarnel
