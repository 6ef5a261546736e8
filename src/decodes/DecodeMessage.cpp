#include "decodes/DecodeMessage.h"

#include <bit>
#include <cmath>

namespace quarnel {

namespace {

constexpr std::uint32_t kMagic = 0xadbccbda;
constexpr std::uint32_t kNullLength = 0xffffffff;
constexpr std::uint32_t kNullTime = 0xffffffff;
constexpr std::uint32_t kMillisecondsPerDay = 86'400'000;

enum MessageType : std::uint32_t { kHeartbeat = 0, kStatus = 1, kDecode = 2, kClear = 3 };

// Reads the fields of Qt's data stream format, version 5.0 and later (the
// programs' schemas 2 and 3): big-endian integers, bools as one byte, doubles
// as IEEE 754 binary64, texts as a 32-bit length and UTF-8 bytes. Once a read
// runs short, every later read fails too, so a message is checked once at its
// end.
class FieldReader {
  public:
    explicit FieldReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    bool ok() const { return m_ok; }

    std::uint64_t unsignedField(std::size_t size) {
        if (!take(size)) {
            return 0;
        }
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < size; ++i) {
            value = (value << 8) | m_bytes[m_position - size + i];
        }
        return value;
    }

    std::uint32_t u32() { return static_cast<std::uint32_t>(unsignedField(4)); }
    std::uint64_t u64() { return unsignedField(8); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    bool boolean() { return unsignedField(1) != 0; }
    double real() { return std::bit_cast<double>(u64()); }

    // A null text reads as an empty one: the programs send null for "none".
    std::string text() {
        const std::uint32_t length = u32();
        if (!m_ok || length == kNullLength) {
            return {};
        }
        if (!take(length)) {
            return {};
        }
        const auto* start = reinterpret_cast<const char*>(m_bytes.data() + m_position - length);
        return std::string(start, length);
    }

    void fail() { m_ok = false; }

  private:
    bool take(std::size_t size) {
        if (!m_ok || m_bytes.size() - m_position < size) {
            m_ok = false;
            return false;
        }
        m_position += size;
        return true;
    }

    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
    bool m_ok = true;
};

StatusMessage readStatus(FieldReader& in, std::string clientId) {
    StatusMessage status;
    status.clientId = std::move(clientId);
    status.dialFrequency = in.u64();
    status.mode = in.text();
    in.text();  // DX call
    in.text();  // report
    in.text();  // transmit mode
    status.transmitEnabled = in.boolean();
    status.transmitting = in.boolean();
    status.decoding = in.boolean();
    return status;
}

DecodeMessage readDecode(FieldReader& in, std::string clientId) {
    DecodeMessage decode;
    decode.clientId = std::move(clientId);
    decode.isNew = in.boolean();
    const std::uint32_t time = in.u32();
    if (time != kNullTime) {
        decode.millisecondsSinceMidnight = time;
        if (time >= kMillisecondsPerDay) {
            in.fail();
        }
    }
    decode.snr = in.i32();
    decode.deltaTime = in.real();
    if (!std::isfinite(decode.deltaTime)) {
        in.fail();
    }
    decode.deltaFrequency = in.u32();
    decode.mode = in.text();
    decode.text = in.text();
    decode.lowConfidence = in.boolean();
    decode.offAir = in.boolean();
    return decode;
}

}  // namespace

std::optional<DecoderMessage> readDecoderMessage(std::span<const std::uint8_t> datagram) {
    FieldReader in(datagram);
    const std::uint32_t magic = in.u32();
    const std::uint32_t schema = in.u32();
    const std::uint32_t type = in.u32();
    std::string clientId = in.text();
    if (!in.ok() || magic != kMagic || (schema != 2 && schema != 3)) {
        return std::nullopt;
    }

    DecoderMessage message;
    switch (type) {
        case kHeartbeat:
            message = HeartbeatMessage{std::move(clientId)};
            break;
        case kStatus:
            message = readStatus(in, std::move(clientId));
            break;
        case kDecode:
            message = readDecode(in, std::move(clientId));
            break;
        case kClear:
            message = ClearMessage{std::move(clientId)};
            break;
        default:
            message = OtherMessage{std::move(clientId), type};
            break;
    }
    if (!in.ok()) {
        return std::nullopt;
    }
    return message;
}

}  // namespace quarnel
