#include "timeserver/NtpPacket.h"

namespace quarnel {

namespace {

// 1 January 1900, where NTP's seconds begin, as a TimeCount: 109'207 days
// after 1 January 1601.
constexpr TimeCount kNtpEpoch = 9'435'484'800 * kUnitsPerSecond;
constexpr TimeCount kNtpEraLength = (TimeCount{1} << 32) * kUnitsPerSecond;
constexpr std::uint64_t kFractionsPerSecond = std::uint64_t{1} << 32;
constexpr auto kUnits = static_cast<std::uint64_t>(kUnitsPerSecond);

// Division that rounds toward minus infinity, for counts before an era.
constexpr TimeCount floorDivide(TimeCount value, TimeCount divisor) {
    const TimeCount quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

std::uint32_t read32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(bytes[at]) << 24 |
           static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 3]);
}

NtpTimestamp read64(std::span<const std::uint8_t> bytes, std::size_t at) {
    return NtpTimestamp{read32(bytes, at)} << 32 | read32(bytes, at + 4);
}

}  // namespace

NtpTimestamp toNtpTimestamp(TimeCount moment) {
    const TimeCount sinceEpoch = moment - kNtpEpoch;
    const auto units = static_cast<std::uint64_t>(
        sinceEpoch - floorDivide(sinceEpoch, kNtpEraLength) * kNtpEraLength);
    const std::uint64_t seconds = units / kUnits;
    // Below 2^32 for every part of a second: the largest, 9'999'999 units,
    // gives 2^32 - 429.
    const std::uint64_t fraction = ((units % kUnits) * kFractionsPerSecond + kUnits / 2) / kUnits;
    return seconds << 32 | fraction;
}

TimeCount fromNtpTimestamp(NtpTimestamp timestamp, TimeCount nearby) {
    const std::uint64_t fraction = timestamp & (kFractionsPerSecond - 1);
    const auto units =
        static_cast<TimeCount>((fraction * kUnits + kFractionsPerSecond / 2) / kFractionsPerSecond);
    const TimeCount inFirstEra =
        kNtpEpoch + static_cast<TimeCount>(timestamp >> 32) * kUnitsPerSecond + units;
    const TimeCount eras = floorDivide(nearby - inFirstEra + kNtpEraLength / 2, kNtpEraLength);
    return inFirstEra + eras * kNtpEraLength;
}

NtpRequest makeNtpRequest(NtpTimestamp transmit) {
    NtpRequest request{};
    request[0] = 0 << 6 | 4 << 3 | 3;  // no leap warning, version 4, client mode
    for (std::size_t i = 0; i < 8; ++i) {
        request[40 + i] = static_cast<std::uint8_t>(transmit >> (56 - 8 * i));
    }
    return request;
}

std::optional<NtpReply> readNtpReply(std::span<const std::uint8_t> datagram) {
    if (datagram.size() < kNtpPacketSize) {
        return std::nullopt;
    }
    NtpReply reply;
    reply.leapIndicator = datagram[0] >> 6;
    reply.version = datagram[0] >> 3 & 7;
    reply.mode = datagram[0] & 7;
    reply.stratum = datagram[1];
    reply.rootDelay = read32(datagram, 4);
    reply.rootDispersion = read32(datagram, 8);
    for (std::size_t i = 0; i < reply.referenceId.size(); ++i) {
        reply.referenceId[i] = datagram[12 + i];
    }
    reply.origin = read64(datagram, 24);
    reply.receive = read64(datagram, 32);
    reply.transmit = read64(datagram, 40);
    return reply;
}

}  // namespace quarnel
