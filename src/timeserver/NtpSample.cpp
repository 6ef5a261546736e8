#include "timeserver/NtpSample.h"

namespace quarnel {

namespace {

// A server further than this from true time does not help to set a clock to
// tenths of a second.
constexpr std::int64_t kLargestRootDistance = kUnitsPerSecond;
constexpr int kHighestStratum = 15;
constexpr int kNotSynchronized = 3;
constexpr int kServerMode = 4;

// 16.16 fixed-point seconds as 100-ns units, rounded up: the distances made
// from them are bounds.
std::int64_t shortFormatUnits(std::uint32_t value) {
    const std::uint64_t scaled = std::uint64_t{value} * static_cast<std::uint64_t>(kUnitsPerSecond);
    return static_cast<std::int64_t>((scaled + 0xffff) >> 16);
}

std::string kissCodeText(const std::array<std::uint8_t, 4>& referenceId) {
    std::string code;
    for (const std::uint8_t byte : referenceId) {
        code += byte > ' ' && byte < 0x7f ? static_cast<char>(byte) : '?';
    }
    return code;
}

ServerProblem rejected(ServerFault fault) {
    return ServerProblem{fault, {}, 0};
}

}  // namespace

std::int64_t localClockAhead(const NtpSample& sample) {
    return roundedShift(-sample.offset, kUnitsPerMillisecond);
}

std::int64_t offsetUncertainty(const NtpSample& sample) {
    const std::int64_t units = sample.delay / 2 + sample.delay % 2 + sample.rootDistance;
    return (units + kUnitsPerMillisecond - 1) / kUnitsPerMillisecond * kUnitsPerMillisecond;
}

std::variant<NtpSample, ServerProblem> checkNtpReply(const NtpReply& reply, NtpTimestamp sent,
                                                     TimeCount requestSent,
                                                     TimeCount replyReceived) {
    if (reply.mode != kServerMode) {
        return rejected(ServerFault::NotServerMode);
    }
    if (reply.version != 3 && reply.version != 4) {
        return rejected(ServerFault::UnknownVersion);
    }
    if (reply.origin != sent) {
        return rejected(ServerFault::NotAnswerToRequest);
    }
    if (reply.stratum == 0) {
        const std::string code = kissCodeText(reply.referenceId);
        const ServerFault fault = code == "RATE"                     ? ServerFault::AskedToSlowDown
                                  : code == "DENY" || code == "RSTR" ? ServerFault::Refused
                                                                     : ServerFault::KissWithoutTime;
        return ServerProblem{fault, code, 0};
    }
    if (reply.leapIndicator == kNotSynchronized) {
        return rejected(ServerFault::NotSynchronized);
    }
    if (reply.stratum > kHighestStratum) {
        return ServerProblem{ServerFault::StratumTooHigh, {}, reply.stratum};
    }
    if (reply.transmit == 0) {
        return rejected(ServerFault::NoTransmitTime);
    }
    const TimeCount serverReceived = fromNtpTimestamp(reply.receive, replyReceived);
    const TimeCount serverSent = fromNtpTimestamp(reply.transmit, replyReceived);
    NtpSample sample;
    sample.delay = (replyReceived - requestSent) - (serverSent - serverReceived);
    if (sample.delay < 0) {
        return rejected(ServerFault::NegativeDelay);
    }
    sample.rootDistance =
        shortFormatUnits(reply.rootDelay) / 2 + shortFormatUnits(reply.rootDispersion);
    if (sample.rootDistance > kLargestRootDistance) {
        return rejected(ServerFault::FarFromReference);
    }
    sample.offset = ((serverReceived - requestSent) + (serverSent - replyReceived)) / 2;
    sample.stratum = reply.stratum;
    return sample;
}

}  // namespace quarnel
