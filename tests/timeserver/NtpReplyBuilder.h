#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "timeserver/NtpPacket.h"

namespace quarnel::testing {

// A time server's reply, field by field; a good stratum-2 reply unless told
// otherwise.
struct NtpReplyBuilder {
    int leapIndicator = 0;
    int version = 4;
    int mode = 4;
    int stratum = 2;
    std::uint32_t rootDelay = 0x0000'0800;       // 31.25 ms
    std::uint32_t rootDispersion = 0x0000'0100;  // 3.9 ms
    std::string referenceId = "GPS";
    NtpTimestamp reference = 0;
    NtpTimestamp origin = 0;
    NtpTimestamp receive = 0;
    NtpTimestamp transmit = 0;
    std::size_t extraBytes = 0;  // extension fields or a MAC after the 48 bytes

    std::vector<std::uint8_t> bytes() const {
        std::vector<std::uint8_t> out(kNtpPacketSize + extraBytes, 0xEE);
        out[0] = static_cast<std::uint8_t>(leapIndicator << 6 | version << 3 | mode);
        out[1] = static_cast<std::uint8_t>(stratum);
        out[2] = 6;
        out[3] = 0xEC;
        put(out, 4, rootDelay, 4);
        put(out, 8, rootDispersion, 4);
        for (std::size_t i = 0; i < 4; ++i) {
            out[12 + i] = i < referenceId.size() ? static_cast<std::uint8_t>(referenceId[i]) : 0;
        }
        put(out, 16, reference, 8);
        put(out, 24, origin, 8);
        put(out, 32, receive, 8);
        put(out, 40, transmit, 8);
        return out;
    }

  private:
    static void put(std::vector<std::uint8_t>& out, std::size_t at, std::uint64_t value,
                    std::size_t size) {
        for (std::size_t i = 0; i < size; ++i) {
            out[at + i] = static_cast<std::uint8_t>(value >> (8 * (size - 1 - i)));
        }
    }
};

}  // namespace quarnel::testing
