#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "clock/TimeCount.h"

namespace quarnel {

// The messages of NTP's client mode (version 4), as far as a client that asks
// a time server for its time needs them.

// NTP's 64-bit timestamp: seconds since 1 January 1900 in the upper 32 bits,
// the fraction of a second in the lower 32. The seconds wrap around every 136
// years (first on 7 February 2036), so a timestamp names a moment only
// together with a reading of the local clock.
using NtpTimestamp = std::uint64_t;

inline constexpr std::size_t kNtpPacketSize = 48;
inline constexpr std::uint16_t kNtpPort = 123;

using NtpRequest = std::array<std::uint8_t, kNtpPacketSize>;

// The timestamp of a moment. A moment before 1900 or after 2036 gets the
// timestamp of its own era, wrapped around like the seconds.
NtpTimestamp toNtpTimestamp(TimeCount moment);

// The moment a timestamp names: of all the moments that carry this timestamp,
// one for each era of 136 years, the one nearest to `nearby` (a reading of
// the local clock). Exact to the 100 ns for a timestamp toNtpTimestamp made.
TimeCount fromNtpTimestamp(NtpTimestamp timestamp, TimeCount nearby);

// A client's request: version 4, client mode, and only the transmit
// timestamp filled in, which the server sends back as the reply's origin.
NtpRequest makeNtpRequest(NtpTimestamp transmit);

// A server's reply, field by field, unchecked.
struct NtpReply {
    int leapIndicator = 0;  // 3: the server's clock is not synchronized
    int version = 0;
    int mode = 0;                      // 4: a server's reply
    int stratum = 0;                   // 0: a kiss-o'-death, the reference id says why
    std::uint32_t rootDelay = 0;       // seconds, 16.16 fixed point
    std::uint32_t rootDispersion = 0;  // seconds, 16.16 fixed point
    std::array<std::uint8_t, 4> referenceId{};
    NtpTimestamp origin = 0;    // the request's transmit timestamp, sent back
    NtpTimestamp receive = 0;   // when the request reached the server (T2)
    NtpTimestamp transmit = 0;  // when the reply left the server (T3)
};

// Nothing when the datagram is shorter than a reply; bytes after the first 48
// (extension fields, a message authentication code) are not read.
std::optional<NtpReply> readNtpReply(std::span<const std::uint8_t> datagram);

}  // namespace quarnel
