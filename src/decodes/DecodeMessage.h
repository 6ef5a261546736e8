#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>

namespace quarnel {

// The messages that decoding programs (WSJT-X, JTDX and their kin) publish
// over UDP, as far as Quarnel needs them. Every message names its sender with
// a client id, so that several programs can report to one listener.

struct HeartbeatMessage {
    std::string clientId;
};

// The decoder's state; the fields after `decoding` are not read.
struct StatusMessage {
    std::string clientId;
    std::uint64_t dialFrequency = 0;  // Hz
    std::string mode;                 // "FT8", "FT4", ...
    bool transmitEnabled = false;
    bool transmitting = false;
    bool decoding = false;
};

struct DecodeMessage {
    std::string clientId;
    bool isNew = false;  // false for decodes the program sends again on request
    std::optional<std::uint32_t> millisecondsSinceMidnight;  // start of the period decoded
    std::int32_t snr = 0;
    double deltaTime = 0.0;            // seconds: how late the signal arrived by the local clock
    std::uint32_t deltaFrequency = 0;  // Hz
    std::string mode;                  // the program's one-character mode mark
    std::string text;
    bool lowConfidence = false;
    bool offAir = false;  // decoded from a recording, not from the radio
};

// The operator cleared the program's list of decodes.
struct ClearMessage {
    std::string clientId;
};

// A well-formed message of a type Quarnel has no use for.
struct OtherMessage {
    std::string clientId;
    std::uint32_t type = 0;
};

using DecoderMessage =
    std::variant<HeartbeatMessage, StatusMessage, DecodeMessage, ClearMessage, OtherMessage>;

// Reads one datagram. Nothing when it is not a message of a schema Quarnel
// reads (2 or 3), or when one of the fields that Quarnel reads is cut short,
// claims more bytes than the datagram holds, or holds an impossible value: a
// datagram is used whole or not at all. Bytes after the fields read are
// allowed, since newer programs append fields.
std::optional<DecoderMessage> readDecoderMessage(std::span<const std::uint8_t> datagram);

}  // namespace quarnel
