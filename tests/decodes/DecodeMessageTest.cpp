#include "decodes/DecodeMessage.h"

#include <gmock/gmock.h>

#include <limits>

#include "DecoderDatagrams.h"

namespace quarnel {
namespace {

using testing::DatagramBuilder;
using testing::decodeDatagram;
using testing::DecodeFields;
using testing::statusDatagram;

std::optional<DecoderMessage> read(const DatagramBuilder& b) {
    return readDecoderMessage(b.data());
}

TEST(DecodeMessage, ReadsEveryFieldOfADecode) {
    DatagramBuilder b;
    b.header(2, std::string("JTDX"), 3)
        .boolean(true)
        .u32(45'015'000)
        .i32(-21)
        .real(-0.7)
        .u32(2345)
        .text(std::string("+"))
        .text(std::string("K1ABC W9XYZ EN37"))
        .boolean(true)
        .boolean(false);
    const auto message = read(b);
    ASSERT_TRUE(message);
    const auto& decode = std::get<DecodeMessage>(*message);
    EXPECT_EQ(decode.clientId, "JTDX");
    EXPECT_TRUE(decode.isNew);
    EXPECT_EQ(decode.millisecondsSinceMidnight, 45'015'000u);
    EXPECT_EQ(decode.snr, -21);
    EXPECT_EQ(decode.deltaTime, -0.7);
    EXPECT_EQ(decode.deltaFrequency, 2345u);
    EXPECT_EQ(decode.mode, "+");
    EXPECT_EQ(decode.text, "K1ABC W9XYZ EN37");
    EXPECT_TRUE(decode.lowConfidence);
    EXPECT_FALSE(decode.offAir);
}

TEST(DecodeMessage, ReadsPositiveDeltaTimeOffAirAndSchemaTwo) {
    const auto message = read(decodeDatagram({.deltaTime = 0.42, .isNew = false, .offAir = true}));
    ASSERT_TRUE(message);
    const auto& decode = std::get<DecodeMessage>(*message);
    EXPECT_EQ(decode.deltaTime, 0.42);
    EXPECT_FALSE(decode.isNew);
    EXPECT_TRUE(decode.offAir);
}

TEST(DecodeMessage, NullTextsAndANullTimeReadAsEmpty) {
    DatagramBuilder b;
    b.header(2, std::nullopt)
        .boolean(true)
        .u32(0xffffffff)
        .i32(0)
        .real(0.1)
        .u32(0)
        .text(std::nullopt)
        .text(std::nullopt)
        .boolean(false)
        .boolean(false);
    const auto message = read(b);
    ASSERT_TRUE(message);
    const auto& decode = std::get<DecodeMessage>(*message);
    EXPECT_EQ(decode.clientId, "");
    EXPECT_FALSE(decode.millisecondsSinceMidnight);
    EXPECT_EQ(decode.mode, "");
    EXPECT_EQ(decode.text, "");
}

TEST(DecodeMessage, ReadsStatusHeartbeatClearAndPassesOverOtherTypes) {
    const auto status = read(statusDatagram("WSJT-X", "FT4"));
    ASSERT_TRUE(status);
    const auto& s = std::get<StatusMessage>(*status);
    EXPECT_EQ(s.clientId, "WSJT-X");
    EXPECT_EQ(s.dialFrequency, 14'074'000u);
    EXPECT_EQ(s.mode, "FT4");
    EXPECT_TRUE(s.transmitEnabled);
    EXPECT_FALSE(s.transmitting);
    EXPECT_TRUE(s.decoding);

    DatagramBuilder heartbeat;
    heartbeat.header(0, std::string("A"), 3).u32(3).text(std::string("2.6.1")).text(std::nullopt);
    ASSERT_TRUE(read(heartbeat));
    EXPECT_EQ(std::get<HeartbeatMessage>(*read(heartbeat)).clientId, "A");

    DatagramBuilder clear;
    clear.header(3, std::string("B"));
    EXPECT_EQ(std::get<ClearMessage>(*read(clear)).clientId, "B");

    DatagramBuilder logged;  // QSO logged: its fields are of no interest
    logged.header(5, std::string("C")).u32(7);
    const auto other = read(logged);
    ASSERT_TRUE(other);
    EXPECT_EQ(std::get<OtherMessage>(*other).type, 5u);
}

TEST(DecodeMessage, FieldsAppendedByNewerProgramsAreAllowed) {
    DatagramBuilder b = decodeDatagram({});
    b.u32(99).text(std::string("more"));
    EXPECT_TRUE(read(b));
}

// Every cut short of the last field Quarnel reads loses the whole message.
TEST(DecodeMessage, EveryTruncationIsRejected) {
    const std::vector<DatagramBuilder> messages = {
        decodeDatagram({}), statusDatagram("WSJT-X", "FT8"), testing::clearDatagram("WSJT-X")};
    for (const DatagramBuilder& message : messages) {
        const std::vector<std::uint8_t>& whole = message.data();
        for (std::size_t length = 0; length < whole.size(); ++length) {
            const std::span<const std::uint8_t> cut(whole.data(), length);
            EXPECT_FALSE(readDecoderMessage(cut))
                << "cut at " << length << " of " << whole.size() << " bytes";
        }
        EXPECT_TRUE(readDecoderMessage(whole));
    }
}

TEST(DecodeMessage, GarbledHeadersAndValuesAreRejected) {
    struct Case {
        const char* what;
        DatagramBuilder datagram;
    };
    DatagramBuilder oversizedId;
    oversizedId.u32(0xadbccbda).u32(2).u32(0).u32(1000).text(std::string("short"));
    DatagramBuilder oversizedText = DatagramBuilder{}.header(2, std::string("A"));
    oversizedText.boolean(true).u32(0).i32(0).real(0.1).u32(0).u32(0x7fffffff);
    auto decodeWithTime = [](std::uint32_t time) {
        DatagramBuilder b;
        b.header(2, std::string("A")).boolean(true).u32(time).i32(0).real(0.1).u32(0);
        b.text(std::string("~")).text(std::string("x")).boolean(false).boolean(false);
        return b;
    };
    DatagramBuilder notANumber =
        decodeDatagram({.deltaTime = std::numeric_limits<double>::quiet_NaN()});
    DatagramBuilder infinite =
        decodeDatagram({.deltaTime = std::numeric_limits<double>::infinity()});
    const std::vector<Case> cases = {
        {"wrong magic", DatagramBuilder{}.header(0, std::string("A"), 2, 0xadbccbdb)},
        {"schema 1", DatagramBuilder{}.header(0, std::string("A"), 1)},
        {"schema 4", DatagramBuilder{}.header(0, std::string("A"), 4)},
        {"client id longer than the datagram", oversizedId},
        {"text longer than the datagram", oversizedText},
        {"time past midnight", decodeWithTime(86'400'000)},
        {"DT not a number", notANumber},
        {"DT infinite", infinite},
    };
    for (const Case& c : cases) {
        EXPECT_FALSE(read(c.datagram)) << c.what;
    }
    EXPECT_TRUE(read(decodeWithTime(86'399'999)));
}

}  // namespace
}  // namespace quarnel
