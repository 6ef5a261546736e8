#include "gps/NmeaReader.h"

#include <gmock/gmock.h>

#include <cstdio>

#include "NmeaTestSentences.h"
#include "gps/GpsText.h"

namespace quarnel {
namespace {

using testing::gga;
using testing::nmeaLine;
using testing::rmc;
using testing::timeField;
using State = GpsStatus::State;

constexpr std::int64_t ms(std::int64_t milliseconds) {
    return milliseconds * kUnitsPerMillisecond;
}

// A receiver on a port whose bursts start `arrival` after each second, read
// by a clock that is `ahead` of UTC; each sentence comes in a read of its
// own, 60 ms after the one before.
class NmeaReaderTest : public ::testing::Test {
  protected:
    NmeaReader reader;
    TimeCount second = toTimeCount(CalendarTime{2026, 12, 5, 11, 7, 0, 59, 0});
    std::int64_t ahead = ms(214);
    std::int64_t arrival = 0;

    void burst(const std::vector<std::string>& sentences) {
        TimeCount stamp = second + ahead + arrival;
        for (const auto& sentence : sentences) {
            reader.take(sentence, stamp);
            stamp += ms(60);
        }
        second += kUnitsPerSecond;
    }

    void fixedBursts(int count) {
        for (int i = 0; i < count; ++i) {
            const auto t = toCalendarTime(second);
            burst({rmc(t), gga(t), nmeaLine("GPGSV,1,1,02,09,62,069,,10,30,248,")});
        }
    }

    std::string line() { return formatGpsLine(reader.status(), "COM4", ","); }
};

TEST_F(NmeaReaderTest, TheClockIsAheadByWhereTheBurstsStart) {
    EXPECT_EQ(reader.status().state, State::Listening);
    fixedBursts(20);
    EXPECT_EQ(line(), "GPS: +0,214 s \u00b10,020 (COM4, 7 satellites)");
    EXPECT_EQ(reader.suggestedShift(), -ms(214));

    // The delay set for the receiver is the part of the start that is not
    // the clock's.
    arrival = ms(130);
    reader.setReceiverDelay(ms(130));
    fixedBursts(20);
    EXPECT_EQ(line(), "GPS: +0,214 s \u00b10,020 (COM4, 7 satellites)");

    ahead = -ms(1500);
    reader.clockMoved();
    EXPECT_EQ(reader.status().state, State::Listening);
    EXPECT_EQ(reader.suggestedShift(), std::nullopt);
    fixedBursts(1);
    EXPECT_EQ(line(), "GPS: -1,500 s \u00b10,020 (COM4, 7 satellites)");
}

TEST_F(NmeaReaderTest, TheBurstStartsWhereItsFirstSentenceBegins) {
    const auto t = toCalendarTime(second);
    const std::string first = gga(t, 1, 9);
    // The first sentence's bytes come in three reads; the date and the fix
    // come with the second sentence.
    reader.take(first.substr(0, 10), second + ms(40));
    reader.take(first.substr(10, 20), second + ms(55));
    reader.take(first.substr(30), second + ms(70));
    reader.take(rmc(t), second + ms(150));
    EXPECT_EQ(line(), "GPS: +0,040 s \u00b10,020 (COM4, 9 satellites)");
}

TEST_F(NmeaReaderTest, TheMedianIgnoresLateBurstsAndTheSpreadWidensTheUncertainty) {
    for (int i = 0; i < 16; ++i) {
        // Every fourth burst is held up by a busy system; the others alternate.
        arrival = i % 4 == 3 ? ms(400) : (i % 2 == 0 ? ms(0) : ms(30));
        fixedBursts(1);
    }
    // Starts 0 (x8), 30 (x4), 400 (x4): median 15, deviations 15 (x12), 385 (x4).
    EXPECT_EQ(line(), "GPS: +0,229 s \u00b10,035 (COM4, 7 satellites)");
}

TEST_F(NmeaReaderTest, AReceiverWithoutFixOffersNothing) {
    fixedBursts(5);
    const auto t = toCalendarTime(second);
    burst({rmc(t, 'V'), gga(t, 0, 2)});
    EXPECT_EQ(line(), "GPS: no fix");
    EXPECT_EQ(reader.suggestedShift(), std::nullopt);

    // An empty RMC, as a receiver sends it after a cold start.
    fixedBursts(1);
    burst({nmeaLine("GPRMC,,V,,,,,,,,,,N")});
    EXPECT_EQ(line(), "GPS: no fix");

    // With the fix back, only the new bursts count.
    ahead = ms(90);
    fixedBursts(1);
    EXPECT_EQ(line(), "GPS: +0,090 s \u00b10,020 (COM4, 7 satellites)");
}

TEST_F(NmeaReaderTest, AReceiverFallenQuietOffersNothing) {
    fixedBursts(3);
    reader.fellQuiet();
    EXPECT_EQ(line(), "GPS: nothing has come for 5 s");
    EXPECT_EQ(reader.suggestedShift(), std::nullopt);
    reader.take("", second);
    EXPECT_EQ(reader.status().state, State::Problem);

    // Back, but without a fix yet: the stamps of before do not return.
    burst({nmeaLine("GPGSV,1,1,02,09,62,069,,10,30,248,")});
    EXPECT_EQ(line(), "GPS: listening \u2026");
}

TEST_F(NmeaReaderTest, ADateFromZdaAndAFixFromGgaAreEnough) {
    const auto t = toCalendarTime(second);
    char zda[64];
    std::snprintf(zda, sizeof zda, "GPZDA,%s,%02u,%02u,%04u,00,00", timeField(t).c_str(),
                  unsigned{t.day}, unsigned{t.month}, unsigned{t.year});
    burst({gga(t, 2, 11), nmeaLine(zda)});
    EXPECT_EQ(line(), "GPS: +0,214 s \u00b10,020 (COM4, 11 satellites)");
}

TEST_F(NmeaReaderTest, TheTwoDigitYearIsInTheCenturyNearestTheClock) {
    second = toTimeCount(CalendarTime{2099, 12, 2, 31, 23, 59, 58, 0});
    ahead = ms(500);
    fixedBursts(2);  // 31.12.99 and 01.01.00
    EXPECT_EQ(line(), "GPS: +0,500 s \u00b10,020 (COM4, 7 satellites)");
}

TEST_F(NmeaReaderTest, ALeapSecondIsNotMeasured) {
    // 23:59:60 is shown by each clock in a way of its own: stepped back,
    // held, or smeared. Its stamp is not taken, and neither is it no fix.
    const auto leap = [](const char* date) {
        return nmeaLine(std::string("GPRMC,235960.00,A,4807.038,N,01131.000,E,0.0,0.0,") + date +
                        ",,");
    };
    burst({leap("311216")});
    EXPECT_EQ(reader.status().state, State::Listening);
}

TEST_F(NmeaReaderTest, GarbageFromAWrongBaudRateIsAProblem) {
    for (int i = 0; i < NmeaReader::kBadLinesForProblem - 1; ++i) {
        reader.take("\x8f\xfe\x1e\x9c\xe6\x18~\x80\n", second);
    }
    EXPECT_EQ(reader.status().state, State::Listening);
    // A sentence broken by noise counts as garbage too.
    reader.take("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230395,003.1,W*6A\r\n", second);
    EXPECT_EQ(line(), "GPS: what comes from the receiver is no NMEA (is the baud rate right?)");

    // A good sentence ends it, even one that brings no stamp.
    const auto t = toCalendarTime(second);
    burst({rmc(t, 'V')});
    EXPECT_EQ(line(), "GPS: no fix");

    // Bytes that never end a line show up the same way.
    reader.take(std::string(NmeaReader::kLongestLine * NmeaReader::kBadLinesForProblem + 1, 'x'),
                second);
    EXPECT_EQ(reader.status().state, State::Problem);
}

}  // namespace
}  // namespace quarnel
