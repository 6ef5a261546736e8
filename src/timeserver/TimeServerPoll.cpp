#include "timeserver/TimeServerPoll.h"

#include <algorithm>

namespace quarnel {

void TimeServerPoll::start(Moment now, std::size_t addressCount) {
    *this = TimeServerPoll{};
    if (addressCount == 0) {
        m_status.problem = ServerProblem{ServerFault::NoAddress, {}, 0};
        m_status.state = TimeServerStatus::State::Problem;
        return;
    }
    m_asking = true;
    m_addressCount = addressCount;
    m_status.state = TimeServerStatus::State::Asking;
    m_nextSend = now;
}

void TimeServerPoll::stop() {
    *this = TimeServerPoll{};
}

void TimeServerPoll::clockMoved(Moment now) {
    if (!m_asking) {
        return;
    }
    m_outstanding.reset();
    m_inBurst = false;
    m_status.state = TimeServerStatus::State::Asking;
    // A request sent just before the move still keeps the next one two
    // seconds away.
    m_nextSend = m_lastSent ? std::max(now, *m_lastSent + kRequestSpacing) : now;
}

void TimeServerPoll::beginBurst(Moment at) {
    m_inBurst = true;
    m_burstStart = at;
    m_sent = 0;
    m_burstBest.reset();
    m_burstRejection.reset();
}

// A request whose wait is over counts as unanswered, and the next goes to the
// next address; a burst whose last request is settled is over.
void TimeServerPoll::expire(Moment now) {
    if (m_outstanding && now >= m_outstanding->deadline) {
        m_outstanding.reset();
        m_address = (m_address + 1) % m_addressCount;
    }
    if (m_inBurst && m_sent == kRequestsPerBurst && !m_outstanding) {
        finishBurst();
    }
}

void TimeServerPoll::finishBurst() {
    m_inBurst = false;
    m_nextSend = m_burstStart + m_interval;
    if (m_burstBest) {
        return;
    }
    m_status.problem = m_burstRejection.value_or(ServerProblem{ServerFault::NoAnswer, {}, 0});
    m_status.state = TimeServerStatus::State::Problem;
}

std::optional<TimeServerPoll::Request> TimeServerPoll::due(Moment now, TimeCount utcNow) {
    if (!m_asking) {
        return std::nullopt;
    }
    expire(now);
    if (now < m_nextSend || m_outstanding) {
        return std::nullopt;
    }
    if (!m_inBurst) {
        beginBurst(now);
    }
    const NtpTimestamp transmit = toNtpTimestamp(utcNow);
    m_outstanding = Outstanding{transmit, utcNow, now + kAnswerWait};
    m_lastSent = now;
    m_nextSend = now + kRequestSpacing;
    ++m_sent;
    return Request{m_address, makeNtpRequest(transmit)};
}

void TimeServerPoll::received(std::span<const std::uint8_t> datagram, bool fromAskedServer,
                              TimeCount utcNow, Moment now) {
    if (!m_asking) {
        return;
    }
    expire(now);
    if (!fromAskedServer) {
        reject({ServerFault::NotFromServerAsked, {}, 0});
        return;
    }
    const auto reply = readNtpReply(datagram);
    if (!reply) {
        reject({ServerFault::Truncated, {}, 0});
        return;
    }
    if (!m_outstanding) {
        // Late for a request given up on, or a reply to nothing sent.
        reject({ServerFault::NotAnswerToRequest, {}, 0});
        return;
    }
    const auto checked =
        checkNtpReply(*reply, m_outstanding->transmit, m_outstanding->sentAt, utcNow);
    if (const auto* sample = std::get_if<NtpSample>(&checked)) {
        take(*sample);
    } else {
        reject(std::get<ServerProblem>(checked));
    }
}

void TimeServerPoll::take(const NtpSample& sample) {
    m_outstanding.reset();
    if (!m_burstBest || sample.delay < m_burstBest->delay) {
        m_burstBest = sample;
        m_status.sample = sample;
        m_status.state = TimeServerStatus::State::Measured;
    }
    if (m_sent == kRequestsPerBurst) {
        finishBurst();
    }
}

void TimeServerPoll::reject(const ServerProblem& rejection) {
    if (rejection.fault == ServerFault::Refused) {
        *this = TimeServerPoll{};
        m_status.problem = rejection;
        m_status.state = TimeServerStatus::State::Problem;
        return;
    }
    if (rejection.fault == ServerFault::AskedToSlowDown) {
        m_interval = std::min(m_interval * 2, kLongestBurstInterval);
        m_outstanding.reset();
        m_sent = kRequestsPerBurst;
    }
    if (m_inBurst && !m_burstBest) {
        m_burstRejection = rejection;
        // The last burst's measurement stays until this burst is over.
        if (m_status.state != TimeServerStatus::State::Measured) {
            m_status.problem = rejection;
            m_status.state = TimeServerStatus::State::Problem;
        }
    }
    if (m_inBurst && m_sent == kRequestsPerBurst && !m_outstanding) {
        finishBurst();
    }
}

std::optional<TimeServerPoll::Moment> TimeServerPoll::nextWake() const {
    if (!m_asking) {
        return std::nullopt;
    }
    return m_outstanding ? std::min(m_outstanding->deadline, m_nextSend) : m_nextSend;
}

std::optional<std::int64_t> TimeServerPoll::suggestedShift() const {
    if (m_status.state != TimeServerStatus::State::Measured) {
        return std::nullopt;
    }
    return -localClockAhead(m_status.sample);
}

}  // namespace quarnel
