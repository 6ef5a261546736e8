#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "clock/TimeCount.h"
#include "timeserver/NtpPacket.h"

namespace quarnel {

// One good answer of a time server, in 100-ns units.
struct NtpSample {
    // How far the server's clock is ahead of the local one (θ).
    std::int64_t offset = 0;
    // The round trip, without the time the server held the request (δ).
    std::int64_t delay = 0;
    // How far the server itself may be from true time: half its round trip to
    // its reference plus its dispersion.
    std::int64_t rootDistance = 0;
    int stratum = 0;
};

// How far the local clock is ahead of the server, in whole milliseconds, as
// a count of 100-ns units: a clock that runs fast gives a positive number,
// and the shift that corrects it is minus this number.
std::int64_t localClockAhead(const NtpSample& sample);

// How far the true offset may be from the measured one: half the round trip
// plus the server's root distance, rounded up to whole milliseconds (100-ns
// units), so the figure shown never claims more than is known.
std::int64_t offsetUncertainty(const NtpSample& sample);

// What keeps the time server from giving a measurement: the whole server, or
// why one reply is not used.
enum class ServerFault {
    NoAddress,           // its name gave no address to ask
    NoAnswer,            // no address answered a whole burst of requests
    NotFromServerAsked,  // another address or port sent it
    Truncated,           // shorter than a reply
    NotServerMode,
    UnknownVersion,      // neither 3 nor 4
    NotAnswerToRequest,  // the origin is not the transmit timestamp sent: spoofed or stale
    AskedToSlowDown,     // kiss-o'-death RATE
    Refused,             // kiss-o'-death DENY or RSTR
    KissWithoutTime,     // another kiss-o'-death
    NotSynchronized,     // leap indicator 3
    StratumTooHigh,      // above 15
    NoTransmitTime,      // a zero transmit timestamp
    NegativeDelay,       // the server held the request longer than the round trip took
    FarFromReference,    // root distance above 1 s
};

struct ServerProblem {
    ServerFault fault{};
    std::string kissCode;  // the four characters of a kiss-o'-death, unprintable ones as '?'
    int stratum = 0;       // the stratum, for StratumTooHigh
};

// Checks a reply to the request that carried `sent` as its transmit
// timestamp, sent at `requestSent` (T1) and received at `replyReceived` (T4),
// both readings of the local clock, and measures it. It finds the faults from
// NotServerMode on; the others are for the caller to find. The origin is
// checked before the kiss-o'-death codes, so that no third party can silence
// the client with a forged kiss.
std::variant<NtpSample, ServerProblem> checkNtpReply(const NtpReply& reply, NtpTimestamp sent,
                                                     TimeCount requestSent,
                                                     TimeCount replyReceived);

}  // namespace quarnel
