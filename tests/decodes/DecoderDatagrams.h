#pragma once

#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quarnel::testing {

// Builds datagrams the way the decoding programs write them: Qt's data
// stream, big-endian.
class DatagramBuilder {
  public:
    DatagramBuilder& u8(std::uint8_t value) { return bytes({value}); }
    DatagramBuilder& boolean(bool value) { return u8(value ? 1 : 0); }
    DatagramBuilder& u32(std::uint32_t value) { return unsignedField(value, 4); }
    DatagramBuilder& i32(std::int32_t value) { return u32(static_cast<std::uint32_t>(value)); }
    DatagramBuilder& u64(std::uint64_t value) { return unsignedField(value, 8); }
    DatagramBuilder& real(double value) { return u64(std::bit_cast<std::uint64_t>(value)); }
    // A text; nothing gives the null text.
    DatagramBuilder& text(const std::optional<std::string>& value) {
        if (!value) {
            return u32(0xffffffff);
        }
        u32(static_cast<std::uint32_t>(value->size()));
        m_bytes.insert(m_bytes.end(), value->begin(), value->end());
        return *this;
    }
    DatagramBuilder& header(std::uint32_t type, const std::optional<std::string>& id,
                            std::uint32_t schema = 2, std::uint32_t magic = 0xadbccbda) {
        return u32(magic).u32(schema).u32(type).text(id);
    }

    const std::vector<std::uint8_t>& data() const { return m_bytes; }

  private:
    DatagramBuilder& bytes(std::vector<std::uint8_t> more) {
        m_bytes.insert(m_bytes.end(), more.begin(), more.end());
        return *this;
    }
    DatagramBuilder& unsignedField(std::uint64_t value, int size) {
        std::vector<std::uint8_t> field;
        for (int shift = (size - 1) * 8; shift >= 0; shift -= 8) {
            field.push_back(static_cast<std::uint8_t>(value >> shift));
        }
        return bytes(field);
    }

    std::vector<std::uint8_t> m_bytes;
};

struct DecodeFields {
    std::string id = "WSJT-X";
    double deltaTime = 0.4;
    bool isNew = true;
    bool offAir = false;
    bool lowConfidence = false;
    std::string mode = "~";
    std::uint32_t schema = 2;
    std::string message = "CQ DL1ABC JO62";
};

inline DatagramBuilder decodeDatagram(const DecodeFields& f) {
    DatagramBuilder b;
    b.header(2, f.id, f.schema)
        .boolean(f.isNew)
        .u32(45'015'000)  // 12:30:15
        .i32(-12)
        .real(f.deltaTime)
        .u32(1234)
        .text(f.mode)
        .text(f.message)
        .boolean(f.lowConfidence)
        .boolean(f.offAir);
    return b;
}

inline DatagramBuilder statusDatagram(const std::string& id, const std::string& mode) {
    DatagramBuilder b;
    b.header(1, id)
        .u64(14'074'000)
        .text(mode)
        .text(std::nullopt)  // DX call
        .text(std::string("-10"))
        .text(mode)
        .boolean(true)
        .boolean(false)
        .boolean(true);
    return b;
}

inline DatagramBuilder clearDatagram(const std::string& id) {
    DatagramBuilder b;
    b.header(3, id);
    return b;
}

}  // namespace quarnel::testing
