#include "timeserver/NtpPacket.h"

#include <gmock/gmock.h>

#include "NtpReplyBuilder.h"

namespace quarnel {
namespace {

using testing::NtpReplyBuilder;

constexpr NtpTimestamp seconds(std::uint64_t s, std::uint32_t fraction = 0) {
    return s << 32 | fraction;
}

TimeCount at(std::uint16_t year, std::uint16_t month, std::uint16_t day, std::uint16_t hour,
             std::uint16_t minute, std::uint16_t second) {
    return toTimeCount(CalendarTime{year, month, 0, day, hour, minute, second, 0});
}

// 2036-02-07 06:28:16 UTC, where NTP's 32-bit seconds wrap around.
const TimeCount kRollover = at(2036, 2, 7, 6, 28, 16);

TEST(NtpPacket, RequestIsAVersion4ClientRequestCarryingOnlyTheTransmitTimestamp) {
    const NtpRequest request = makeNtpRequest(0x0123'4567'89AB'CDEF);
    EXPECT_EQ(request[0], 0x23);  // leap 0, version 4, mode 3
    EXPECT_THAT(std::vector(request.begin() + 1, request.begin() + 40), ::testing::Each(0));
    EXPECT_THAT(std::vector(request.begin() + 40, request.end()),
                ::testing::ElementsAre(0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF));
}

TEST(NtpPacket, TimestampsOfKnownMoments) {
    EXPECT_EQ(toNtpTimestamp(at(1900, 1, 1, 0, 0, 0)), 0u);
    EXPECT_EQ(toNtpTimestamp(at(1970, 1, 1, 0, 0, 0)), seconds(2'208'988'800));
    EXPECT_EQ(toNtpTimestamp(at(1970, 1, 1, 0, 0, 0) + kUnitsPerSecond / 2),
              seconds(2'208'988'800, 0x8000'0000));
    // The next era begins at the wrap-around.
    EXPECT_EQ(toNtpTimestamp(kRollover), 0u);
    EXPECT_EQ(toNtpTimestamp(kRollover - 1), seconds(0xFFFF'FFFF, 0xFFFF'FE53));
}

TEST(NtpPacket, MomentsSurviveTheRoundTripTo100Ns) {
    for (const TimeCount moment :
         {at(2026, 12, 11, 6, 16, 5) + 1, at(2026, 12, 11, 6, 16, 5) + kUnitsPerSecond - 1,
          at(1999, 12, 31, 23, 59, 59) + 1'234'567, kRollover - 1, kRollover, kRollover + 1,
          at(2100, 3, 1, 0, 0, 0) + 9'999'999}) {
        EXPECT_EQ(fromNtpTimestamp(toNtpTimestamp(moment), moment), moment);
        // A reading of the local clock an hour away still finds the same era.
        EXPECT_EQ(fromNtpTimestamp(toNtpTimestamp(moment), moment + 36'000'000'000), moment);
        EXPECT_EQ(fromNtpTimestamp(toNtpTimestamp(moment), moment - 36'000'000'000), moment);
    }
}

// The server's timestamp is read in the era of the local clock's reading, so
// a clock on either side of the 2036 wrap-around reads the other side right.
TEST(NtpPacket, TimestampsAcrossThe2036WrapAround) {
    const struct {
        const char* what;
        TimeCount local;
        NtpTimestamp timestamp;
        TimeCount moment;
    } cases[] = {
        {"local clock before, server after", kRollover - 3 * kUnitsPerSecond, seconds(1),
         kRollover + kUnitsPerSecond},
        {"local clock after, server before", kRollover + 2 * kUnitsPerSecond,
         seconds(0xFFFF'FFFF, 0x8000'0000), kRollover - kUnitsPerSecond / 2},
        {"both after", kRollover + kUnitsPerSecond, seconds(2), kRollover + 2 * kUnitsPerSecond},
        {"both before", kRollover - kUnitsPerSecond, seconds(0xFFFF'FFFE),
         kRollover - 2 * kUnitsPerSecond},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(fromNtpTimestamp(c.timestamp, c.local), c.moment) << c.what;
    }
}

TEST(NtpPacket, ReadsEveryFieldOfAReply) {
    NtpReplyBuilder b;
    b.leapIndicator = 1;
    b.version = 3;
    b.mode = 4;
    b.stratum = 0;
    b.rootDelay = 0x0001'8000;
    b.rootDispersion = 0x0000'4000;
    b.referenceId = "RATE";
    b.origin = 0x1111'2222'3333'4444;
    b.receive = 0x5555'6666'7777'8888;
    b.transmit = 0x9999'AAAA'BBBB'CCCC;
    const auto reply = readNtpReply(b.bytes());
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->leapIndicator, 1);
    EXPECT_EQ(reply->version, 3);
    EXPECT_EQ(reply->mode, 4);
    EXPECT_EQ(reply->stratum, 0);
    EXPECT_EQ(reply->rootDelay, 0x0001'8000u);
    EXPECT_EQ(reply->rootDispersion, 0x0000'4000u);
    EXPECT_THAT(reply->referenceId, ::testing::ElementsAre('R', 'A', 'T', 'E'));
    EXPECT_EQ(reply->origin, b.origin);
    EXPECT_EQ(reply->receive, b.receive);
    EXPECT_EQ(reply->transmit, b.transmit);
}

TEST(NtpPacket, ReadsFortyEightBytesAndNoFewer) {
    NtpReplyBuilder b;
    b.transmit = seconds(5);
    const std::vector<std::uint8_t> whole = b.bytes();
    EXPECT_FALSE(readNtpReply(std::span(whole).first(47)));
    EXPECT_FALSE(readNtpReply({}));
    b.extraBytes = 20;  // an extension field or a message authentication code
    const auto longer = readNtpReply(b.bytes());
    ASSERT_TRUE(longer);
    EXPECT_EQ(longer->transmit, seconds(5));
}

}  // namespace
}  // namespace quarnel
