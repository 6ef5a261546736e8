#include "timeserver/TimeServerPoll.h"

#include <gmock/gmock.h>

#include <functional>

#include "NtpReplyBuilder.h"
#include "timeserver/TimeServerText.h"

namespace quarnel {
namespace {

using namespace std::chrono_literals;
using testing::NtpReplyBuilder;
using Moment = TimeServerPoll::Moment;
using Request = TimeServerPoll::Request;
using State = TimeServerStatus::State;

constexpr std::int64_t ms(std::int64_t milliseconds) {
    return milliseconds * kUnitsPerMillisecond;
}

NtpTimestamp transmitOf(const Request& request) {
    NtpTimestamp transmit = 0;
    for (std::size_t i = 40; i < 48; ++i) {
        transmit = transmit << 8 | request.bytes[i];
    }
    return transmit;
}

// A server whose clock is `serverAhead` ahead of the local one answers the
// poll's requests over a path of `oneWay` each way, holding each request for
// `held`; the monotonic count and the local clock run together.
class TimeServerPollTest : public ::testing::Test {
  protected:
    TimeServerPoll poll;
    Moment now = 5000s;
    TimeCount utc = toTimeCount(CalendarTime{2026, 12, 5, 11, 6, 16, 5, 0});
    std::int64_t serverAhead = ms(-312);
    Moment oneWay = 20ms;
    Moment held = 1ms;

    void wait(Moment time) {
        now += time;
        utc += time.count() * kUnitsPerMillisecond;
    }

    std::optional<Request> ask() { return poll.due(now, utc); }

    Request mustAsk() {
        const auto request = ask();
        EXPECT_TRUE(request) << "no request due at " << now.count() << " ms";
        return request.value_or(Request{});
    }

    // The reply the server sends to a request sent just now.
    NtpReplyBuilder replyTo(const Request& request) const {
        NtpReplyBuilder reply;
        reply.origin = transmitOf(request);
        const TimeCount sent = fromNtpTimestamp(reply.origin, utc);
        const TimeCount arrived = sent + oneWay.count() * kUnitsPerMillisecond + serverAhead;
        reply.receive = toNtpTimestamp(arrived);
        reply.transmit = toNtpTimestamp(arrived + held.count() * kUnitsPerMillisecond);
        return reply;
    }

    // The reply arrives after the round trip.
    void deliver(const NtpReplyBuilder& reply, bool fromAskedServer = true) {
        wait(2 * oneWay + held);
        poll.received(reply.bytes(), fromAskedServer, utc, now);
    }

    void askAndAnswer() { deliver(replyTo(mustAsk())); }

    // A whole burst, every request answered; returns when it began.
    Moment answerBurst() {
        const Moment burstStart = now;
        for (int i = 0; i < TimeServerPoll::kRequestsPerBurst; ++i) {
            wait(burstStart + i * TimeServerPoll::kRequestSpacing - now);
            askAndAnswer();
        }
        return burstStart;
    }

    std::string line() const { return formatTimeServerLine(poll.status(), "pool.ntp.org", ","); }
};

TEST_F(TimeServerPollTest, AGoodReplyShowsHowFarTheLocalClockIsAhead) {
    poll.start(now, 1);
    EXPECT_EQ(line(), "Time server: asking \u2026");
    EXPECT_FALSE(poll.suggestedShift());
    askAndAnswer();
    ASSERT_EQ(poll.status().state, State::Measured);
    const NtpSample& sample = poll.status().sample;
    EXPECT_EQ(sample.offset, ms(-312));
    EXPECT_EQ(sample.delay, ms(40));
    EXPECT_EQ(sample.rootDistance, 195'313);  // 31.25 ms / 2 + 3.906 ms, rounded up
    EXPECT_EQ(sample.stratum, 2);
    // ± = 20 ms + 19.53 ms, rounded up.
    EXPECT_EQ(line(), "Time server: +0,312 s \u00b10,040 (pool.ntp.org, stratum 2)");
    EXPECT_EQ(poll.suggestedShift(), ms(-312));
    EXPECT_EQ(formatTimeServerLine(poll.status(), "192.0.2.1:123", "."),
              "Time server: +0.312 s \u00b10.040 (192.0.2.1:123, stratum 2)");
}

TEST_F(TimeServerPollTest, TheShiftIsRoundedToTheMillisecondLikeTheLine) {
    const struct {
        std::int64_t serverAhead;
        const char* shown;
        std::int64_t shift;
    } cases[] = {
        {ms(1500) + 4'999, "-1,500", ms(1500)},
        {ms(1500) + 5'000, "-1,501", ms(1501)},  // halves away from zero
        {-ms(7) - 5'000, "+0,008", -ms(8)},
        {-ms(7) - 4'999, "+0,007", -ms(7)},
        {4'999, "+0,000", 0},
        {0, "+0,000", 0},
        {-ms(61'234), "+61,234", -ms(61'234)},
    };
    for (const auto& c : cases) {
        serverAhead = c.serverAhead;
        poll.start(now, 1);
        askAndAnswer();
        EXPECT_THAT(line(), ::testing::StartsWith(std::string("Time server: ") + c.shown + " s"))
            << c.serverAhead;
        EXPECT_EQ(poll.suggestedShift(), c.shift) << c.serverAhead;
        EXPECT_EQ(poll.suggestedShift().value_or(1) % kUnitsPerMillisecond, 0);
    }
}

TEST_F(TimeServerPollTest, TheUncertaintyAddsHalfTheRoundTripAndTheRootDistanceRoundedUp) {
    poll.start(now, 1);
    oneWay = 10ms;
    held = 3ms;
    const Request request = mustAsk();
    NtpReplyBuilder reply = replyTo(request);
    reply.rootDelay = 0;
    reply.rootDispersion = 0x0000'0042;  // 1.007 ms
    deliver(reply);
    // 10 ms (half of 20 ms) + 1.007 ms, shown as 0,012.
    EXPECT_EQ(poll.status().sample.delay, ms(20));
    EXPECT_THAT(line(), ::testing::HasSubstr("\u00b10,012 "));
}

// Each reply that is not used, and what the line says about it while the
// burst has brought no good reply.
TEST_F(TimeServerPollTest, RejectedReplies) {
    const struct {
        const char* what;
        std::function<void(NtpReplyBuilder&)> change;
        const char* line;
        bool fromAskedServer = true;
        std::size_t size = 0;  // cut to this size when not 0
    } cases[] = {
        {"from another address or port", [](auto&) {},
         "Time server: the reply was not from the server asked", false},
        {"truncated", [](auto&) {}, "Time server: the reply was cut short", true, 47},
        {"client mode", [](auto& r) { r.mode = 3; },
         "Time server: the reply was not a time server's answer"},
        {"broadcast mode", [](auto& r) { r.mode = 5; },
         "Time server: the reply was not a time server's answer"},
        {"version 2", [](auto& r) { r.version = 2; },
         "Time server: the reply was of an NTP version this program does not read"},
        {"version 5", [](auto& r) { r.version = 5; },
         "Time server: the reply was of an NTP version this program does not read"},
        {"another origin", [](auto& r) { r.origin ^= 1; },
         "Time server: the reply did not answer the request sent"},
        {"leap indicator 3", [](auto& r) { r.leapIndicator = 3; },
         "Time server: pool.ntp.org is not synchronized"},
        {"stratum 16", [](auto& r) { r.stratum = 16; },
         "Time server: pool.ntp.org is not synchronized (stratum 16)"},
        {"another kiss code",
         [](auto& r) {
             r.stratum = 0;
             r.referenceId = std::string("IN\x01T", 4);
         },
         "Time server: pool.ntp.org sent no time (IN?T)"},
        {"zero transmit timestamp", [](auto& r) { r.transmit = 0; },
         "Time server: the reply carried no time"},
        {"negative delay",
         [](auto& r) { r.transmit += NtpTimestamp{1} << 32; },  // held a second longer
         "Time server: the reply's times contradict each other"},
        {"root distance above 1 s",
         [](auto& r) {
             r.rootDelay = 0x0001'0000;       // 1 s, half of it counts
             r.rootDispersion = 0x0000'8001;  // just above 0.5 s
         },
         "Time server: pool.ntp.org may be more than a second from true time"},
    };
    for (const auto& c : cases) {
        poll.start(now, 1);
        const Request request = mustAsk();
        NtpReplyBuilder reply = replyTo(request);
        c.change(reply);
        wait(50ms);
        std::vector<std::uint8_t> bytes = reply.bytes();
        if (c.size != 0) {
            bytes.resize(c.size);
        }
        poll.received(bytes, c.fromAskedServer, utc, now);
        EXPECT_EQ(line(), c.line) << c.what;
        EXPECT_FALSE(poll.suggestedShift()) << c.what;
        // The right reply may still come.
        wait(100ms);
        poll.received(replyTo(request).bytes(), true, utc, now);
        EXPECT_EQ(poll.status().state, State::Measured) << c.what;
    }
}

TEST_F(TimeServerPollTest, RepliesJustWithinTheLimitsAreUsed) {
    const struct {
        const char* what;
        std::function<void(NtpReplyBuilder&)> change;
    } cases[] = {
        {"version 3", [](auto& r) { r.version = 3; }},
        {"stratum 15", [](auto& r) { r.stratum = 15; }},
        {"leap second announced", [](auto& r) { r.leapIndicator = 1; }},
        {"root distance of exactly 1 s",
         [](auto& r) {
             r.rootDelay = 0x0001'0000;
             r.rootDispersion = 0x0000'8000;
         }},
        {"extension fields after the 48 bytes", [](auto& r) { r.extraBytes = 28; }},
        {"a zero delay", [](auto& r) { r.transmit += (NtpTimestamp{1} << 32) / 1000 * 40; }},
    };
    for (const auto& c : cases) {
        poll.start(now, 1);
        NtpReplyBuilder reply = replyTo(mustAsk());
        c.change(reply);
        deliver(reply);
        EXPECT_EQ(poll.status().state, State::Measured) << c.what << ": " << line();
    }
}

TEST_F(TimeServerPollTest, ARateKissDoublesTheTimeBetweenBursts) {
    poll.start(now, 1);
    const Moment burstStart = now;
    NtpReplyBuilder reply = replyTo(mustAsk());
    reply.stratum = 0;
    reply.leapIndicator = 3;
    reply.referenceId = "RATE";
    deliver(reply);
    EXPECT_EQ(line(), "Time server: pool.ntp.org asked to be asked less often (RATE)");
    EXPECT_EQ(poll.burstInterval(), 128s);
    // The burst ends at once.
    EXPECT_EQ(poll.nextWake(), burstStart + 128s);
    wait(burstStart + 128s - 1ms - now);
    EXPECT_FALSE(ask());
    wait(1ms);
    answerBurst();
    EXPECT_EQ(poll.status().state, State::Measured);
    EXPECT_EQ(poll.nextWake(), burstStart + 256s);
}

TEST_F(TimeServerPollTest, DenyOrRestrictStopsTheAsking) {
    for (const char* code : {"DENY", "RSTR"}) {
        poll.start(now, 2);
        askAndAnswer();  // a measurement does not outweigh a refusal
        wait(2s);
        NtpReplyBuilder reply = replyTo(mustAsk());
        reply.stratum = 0;
        reply.leapIndicator = 3;
        reply.referenceId = code;
        deliver(reply);
        EXPECT_EQ(line(),
                  std::string("Time server: pool.ntp.org refused to answer (") + code + ")");
        EXPECT_FALSE(poll.suggestedShift());
        EXPECT_FALSE(poll.nextWake());
        wait(100s);
        EXPECT_FALSE(ask());
        poll.clockMoved(now);
        EXPECT_FALSE(ask());
        EXPECT_EQ(poll.status().problem.fault, ServerFault::Refused);
    }
}

TEST_F(TimeServerPollTest, AKissThatAnswersNoRequestOfOursIsNotObeyed) {
    poll.start(now, 1);
    NtpReplyBuilder reply = replyTo(mustAsk());
    reply.stratum = 0;
    reply.referenceId = "DENY";
    reply.origin += 1;
    deliver(reply);
    EXPECT_EQ(line(), "Time server: the reply did not answer the request sent");
    wait(2s);
    EXPECT_TRUE(ask());
}

TEST_F(TimeServerPollTest, TheSmallestDelayOfABurstIsTheMeasurement) {
    poll.start(now, 1);
    const struct {
        Moment oneWay;
        std::int64_t serverAhead;
        const char* shown;  // after this reply
    } replies[] = {
        {40ms, ms(100), "-0,100"},  // the first good reply is shown at once
        {15ms, ms(200), "-0,200"},
        {25ms, ms(300), "-0,200"},
        {30ms, ms(400), "-0,200"},
    };
    for (const auto& r : replies) {
        oneWay = r.oneWay;
        serverAhead = r.serverAhead;
        const Moment sent = now;
        askAndAnswer();
        EXPECT_THAT(line(), ::testing::StartsWith(std::string("Time server: ") + r.shown));
        wait(sent + 2s - now);
    }
    EXPECT_EQ(poll.status().sample.delay, ms(30));
    EXPECT_EQ(poll.suggestedShift(), ms(200));
}

TEST_F(TimeServerPollTest, FourRequestsTwoSecondsApartThenABurstEvery64Seconds) {
    poll.start(now, 1);
    const Moment start = now;
    EXPECT_EQ(poll.nextWake(), start);
    for (int burst = 0; burst < 3; ++burst) {
        const Moment burstStart = start + burst * 64s;
        for (int i = 0; i < 4; ++i) {
            const Moment sendAt = burstStart + i * 2s;
            wait(sendAt - 1ms - now);
            EXPECT_FALSE(ask()) << burst << "/" << i;
            wait(1ms);
            askAndAnswer();
            EXPECT_FALSE(ask()) << "one request at a time";
            EXPECT_EQ(poll.nextWake(), i < 3 ? sendAt + 2s : burstStart + 64s);
        }
    }
}

TEST_F(TimeServerPollTest, ALateTimerSendsLateAndKeepsTwoSecondsToTheNextRequest) {
    poll.start(now, 1);
    askAndAnswer();
    wait(3s);
    const Moment late = now;
    askAndAnswer();
    EXPECT_EQ(poll.nextWake(), late + 2s);
}

TEST_F(TimeServerPollTest, AnUnansweredRequestMovesToTheNextAddress) {
    poll.start(now, 3);
    std::vector<std::size_t> addresses;
    for (int i = 0; i < 4; ++i) {
        addresses.push_back(mustAsk().addressIndex);
        EXPECT_EQ(poll.nextWake(), now + 2s);
        EXPECT_EQ(line(), "Time server: asking \u2026");
        wait(2s);
    }
    EXPECT_THAT(addresses, ::testing::ElementsAre(0, 1, 2, 0));
    // Eight seconds after asking began: within ten.
    EXPECT_FALSE(ask());
    EXPECT_EQ(line(), "Time server: no answer from pool.ntp.org");
    EXPECT_EQ(poll.nextWake(), now - 8s + 64s);
}

TEST_F(TimeServerPollTest, AnAddressThatAnswersIsAskedAgain) {
    poll.start(now, 3);
    EXPECT_EQ(mustAsk().addressIndex, 0u);
    wait(2s);
    const Request second = mustAsk();  // the first was not answered
    EXPECT_EQ(second.addressIndex, 1u);
    deliver(replyTo(second));
    wait(2s - 2 * oneWay - held);
    EXPECT_EQ(mustAsk().addressIndex, 1u);
}

TEST_F(TimeServerPollTest, AReplyAfterTheWaitIsNotUsed) {
    poll.start(now, 2);
    const Request request = mustAsk();
    const NtpReplyBuilder reply = replyTo(request);
    wait(2s);
    poll.received(reply.bytes(), true, utc, now);
    EXPECT_EQ(line(), "Time server: the reply did not answer the request sent");
    EXPECT_EQ(mustAsk().addressIndex, 1u);
}

TEST_F(TimeServerPollTest, ADuplicateReplyIsNotUsedTwice) {
    poll.start(now, 1);
    const Request request = mustAsk();
    const NtpReplyBuilder reply = replyTo(request);
    deliver(reply);
    const NtpSample first = poll.status().sample;
    // The same reply again, later: its delay would be larger and it would be
    // ignored as worse; one with a smaller delay must not count either.
    poll.received(reply.bytes(), true, utc - ms(30), now);
    EXPECT_EQ(poll.status().sample.delay, first.delay);
}

TEST_F(TimeServerPollTest, TheLastMeasurementStaysWhileTheNextBurstHasNone) {
    poll.start(now, 1);
    const Moment burstStart = answerBurst() + 64s;
    const std::string measured = line();
    wait(burstStart - now);
    ASSERT_TRUE(ask());
    // A bad reply in a burst does not hide the measurement of the last one.
    wait(50ms);
    poll.received(NtpReplyBuilder{}.bytes(), true, utc, now);
    EXPECT_EQ(line(), measured);
    for (int i = 1; i < 4; ++i) {
        wait(burstStart + i * 2s - now);
        ASSERT_TRUE(ask());
        EXPECT_EQ(line(), measured);
    }
    // The burst ended without a good reply: the line says why.
    wait(burstStart + 8s - now);
    EXPECT_FALSE(ask());
    EXPECT_EQ(line(), "Time server: the reply did not answer the request sent");
    EXPECT_FALSE(poll.suggestedShift());
}

TEST_F(TimeServerPollTest, ARejectedReplyIsNotShownOnceTheBurstHasAGoodOne) {
    poll.start(now, 1);
    askAndAnswer();
    wait(2s - 2 * oneWay - held);
    NtpReplyBuilder reply = replyTo(mustAsk());
    reply.leapIndicator = 3;
    deliver(reply);
    EXPECT_EQ(poll.status().state, State::Measured);
    poll.received(reply.bytes(), false, utc, now);
    EXPECT_EQ(poll.status().state, State::Measured);
}

TEST_F(TimeServerPollTest, AMovedClockDropsTheMeasurementAndAsksAgain) {
    poll.start(now, 1);
    askAndAnswer();
    wait(10s);
    const Request underWay = mustAsk();
    wait(10ms);
    poll.clockMoved(now);
    EXPECT_EQ(line(), "Time server: asking \u2026");
    EXPECT_FALSE(poll.suggestedShift());
    // The request sent before the move no longer counts.
    poll.received(replyTo(underWay).bytes(), true, utc, now);
    EXPECT_EQ(line(), "Time server: asking \u2026");
    // Two seconds after the last request, a new burst of four.
    EXPECT_EQ(poll.nextWake(), now - 10ms + 2s);
    wait(2s - 10ms);
    const Moment burstStart = now;
    for (int i = 0; i < 4; ++i) {
        askAndAnswer();
        wait(2s - 2 * oneWay - held);
    }
    EXPECT_EQ(poll.nextWake(), burstStart + 64s);
}

TEST_F(TimeServerPollTest, AMovedClockBetweenBurstsAsksAtOnce) {
    poll.start(now, 1);
    answerBurst();
    wait(30s);
    poll.clockMoved(now);
    EXPECT_EQ(poll.nextWake(), now);
    EXPECT_TRUE(ask());
}

TEST_F(TimeServerPollTest, NothingHappensWhileStopped) {
    EXPECT_EQ(line(), "Time server: not asking");
    EXPECT_FALSE(poll.nextWake());
    EXPECT_FALSE(ask());
    poll.start(now, 1);
    const Request request = mustAsk();
    poll.stop();
    EXPECT_EQ(line(), "Time server: not asking");
    EXPECT_FALSE(poll.nextWake());
    deliver(replyTo(request));
    poll.clockMoved(now);
    wait(100s);
    EXPECT_FALSE(ask());
    EXPECT_FALSE(poll.nextWake());
    EXPECT_EQ(line(), "Time server: not asking");
}

TEST_F(TimeServerPollTest, AServerWithoutAddressesIsNotAsked) {
    poll.start(now, 0);
    EXPECT_EQ(line(), "Time server: pool.ntp.org has no address");
    EXPECT_FALSE(poll.nextWake());
    EXPECT_FALSE(ask());
}

// The local clock on one side of the 2036 wrap-around of NTP's seconds, the
// server's on the other.
TEST_F(TimeServerPollTest, MeasuresAcrossThe2036WrapAround) {
    const TimeCount rollover = toTimeCount(CalendarTime{2036, 2, 4, 7, 6, 28, 16, 0});
    const struct {
        TimeCount local;
        std::int64_t serverAhead;
        const char* shown;
    } cases[] = {
        {rollover - ms(300), ms(700), "-0,700"},
        {rollover + ms(300), -ms(900), "+0,900"},
        {rollover - 10 * kUnitsPerSecond, ms(15'000), "-15,000"},
    };
    for (const auto& c : cases) {
        utc = c.local;
        serverAhead = c.serverAhead;
        poll.start(now, 1);
        askAndAnswer();
        EXPECT_THAT(line(), ::testing::StartsWith(std::string("Time server: ") + c.shown + " s"));
        EXPECT_EQ(poll.status().sample.delay, ms(40));
    }
}

}  // namespace
}  // namespace quarnel
