#include "gps/GpsdReader.h"

#include <gmock/gmock.h>

#include "gps/GpsText.h"

namespace quarnel {
namespace {

using State = GpsStatus::State;

constexpr std::int64_t ms(std::int64_t milliseconds) {
    return milliseconds * kUnitsPerMillisecond;
}

// 2026-12-11 07:00:05 UTC, 1796972405 s after 1970.
const TimeCount kSecond = toTimeCount(CalendarTime{2026, 12, 5, 11, 7, 0, 5, 0});

// What gpsd 3.22 sends after the WATCH, with an NMEA receiver on a
// pseudo-terminal.
constexpr const char* kGreeting =
    R"({"class":"VERSION","release":"3.22","rev":"3.22","proto_major":3,"proto_minor":14})"
    "\r\n"
    R"({"class":"DEVICES","devices":[{"class":"DEVICE","path":"/dev/pts/3","driver":"NMEA0183",)"
    R"("activated":"2026-12-11T07:00:01.123Z","flags":1,"native":0,"bps":4800,"parity":"N",)"
    R"("stopbits":1,"cycle":1.00}]})"
    "\r\n"
    R"({"class":"WATCH","enable":true,"json":true,"nmea":false,"raw":0,"scaled":false,)"
    R"("timing":false,"split24":false,"pps":true})"
    "\r\n";
constexpr const char* kNoFix = R"({"class":"TPV","device":"/dev/pts/3","mode":1})"
                               "\r\n";
constexpr const char* kFix =
    R"({"class":"TPV","device":"/dev/pts/3","mode":3,"time":"2026-12-11T07:00:05.000Z",)"
    R"("ept":0.005,"lat":48.117300000,"lon":11.516666667,"altHAE":592.3000,"altMSL":545.4000,)"
    R"("alt":545.4000,"epv":23.000,"track":84.4000,"magtrack":84.4000,"magvar":-3.1,)"
    R"("speed":11.524,"climb":0.000,"eps":0.50,"geoidSep":46.900,"eph":10.000,"sep":20.000})"
    "\r\n";
constexpr const char* kToff =
    R"({"class":"TOFF","device":"/dev/pts/3","real_sec":1796972405,"real_nsec":0,)"
    R"("clock_sec":1796972405,"clock_nsec":100123456,"precision":-1})"
    "\r\n";
constexpr const char* kSky =
    R"({"class":"SKY","device":"/dev/pts/3","xdop":0.54,"ydop":0.77,"vdop":0.84,"tdop":1.20,)"
    R"("hdop":0.94,"gdop":1.75,"pdop":1.26,"satellites":[)"
    R"({"PRN":5,"el":31.0,"az":86.0,"ss":40.0,"used":true,"gnssid":0,"svid":5},)"
    R"({"PRN":7,"el":45.0,"az":300.0,"ss":38.0,"used":true,"gnssid":0,"svid":7},)"
    R"({"PRN":9,"el":12.0,"az":20.0,"ss":0.0,"used":false,"gnssid":0,"svid":9},)"
    R"({"PRN":65,"el":64.0,"az":37.0,"ss":35.0,"used":true,"gnssid":6,"svid":1}]})"
    "\r\n";
constexpr const char* kPps =
    R"({"class":"PPS","device":"/dev/pts/3","real_sec":1796972406,"real_nsec":0,)"
    R"("clock_sec":1796972405,"clock_nsec":997400000,"precision":-20,"shm":"NTP2","qErr":0})"
    "\r\n";

class GpsdReaderTest : public ::testing::Test {
  protected:
    GpsdReader reader;

    std::string line() { return formatGpsLine(reader.status(), "gpsd", ","); }
};

TEST_F(GpsdReaderTest, TakesTheBurstStartsAndThenThePulseAsGpsdStampsThem) {
    reader.setReceiverDelay(ms(40));
    reader.take(kGreeting, kSecond);
    EXPECT_EQ(line(), "GPS: listening \u2026");
    reader.take(kNoFix, kSecond);
    // gpsd's stamps of a receiver without fix count for nothing.
    reader.take(kToff, kSecond + ms(200));
    EXPECT_EQ(line(), "GPS: no fix");

    reader.take(kFix, kSecond + ms(480));
    reader.take(kToff, kSecond + ms(490));
    reader.take(kSky, kSecond + ms(500));
    // gpsd's 100,123 ms less the receiver's 40.
    EXPECT_EQ(line(), "GPS: +0,060 s \u00b10,020 (gpsd, 3 satellites)");

    // A pulse comes at the second itself: no receiver delay.
    reader.take(kPps, kSecond + ms(999));
    EXPECT_EQ(line(), "GPS: -0,003 s \u00b10,001 (gpsd, PPS, 3 satellites)");
    EXPECT_EQ(reader.suggestedShift(), ms(3));

    reader.clockMoved();
    EXPECT_EQ(reader.status().state, State::Listening);
}

TEST_F(GpsdReaderTest, WithoutStampsOfGpsdTheReportsArrivalCounts) {
    // Split across reads: the line's first byte decides.
    const std::string fix = kFix;
    reader.take(fix.substr(0, 40), kSecond + ms(480));
    reader.take(fix.substr(40), kSecond + ms(530));
    EXPECT_EQ(reader.status().offset, (GpsOffset{ms(480), ms(20), GpsTiming::Report}));
    // Newer gpsd counts the satellites in use itself.
    reader.take(R"({"class":"SKY","nSat":9,"uSat":1,"satellites":[]})"
                "\n",
                kSecond);
    EXPECT_EQ(line(), "GPS: +0,480 s \u00b10,020 (gpsd, 1 satellite)");
}

TEST_F(GpsdReaderTest, ShowsWhatKeepsGpsdFromTelling) {
    const struct {
        const char* lines;
        const char* expected;
    } cases[] = {
        {R"({"class":"DEVICES","devices":[]})"
         "\n",
         "GPS: gpsd has no receiver"},
        {R"({"class":"ERROR","message":"Unrecognized request '?WATC'"})"
         "\n",
         "GPS: gpsd says \"Unrecognized request '?WATC'\""},
        {R"({"class":"VERSION","release":"2.95","rev":"2.95","proto_major":2,"proto_minor":1})"
         "\n",
         "GPS: gpsd speaks a protocol this program does not read"},
        {"HTTP/1.1 400 Bad Request\r\n",
         "GPS: what came is not gpsd's JSON (is it gpsd on that port?)"},
        // Reports that cannot be used are passed over.
        {R"({"class":"TPV","mode":3,"time":"2026-02-30T07:00:05.000Z"})"
         "\n"
         R"({"class":"TPV","mode":"3","time":"2026-12-11T07:00:05.000Z"})"
         "\n"
         R"({"class":"TPV","mode":3,"time":"2026-12-11 07:00:05"})"
         "\n"
         R"({"class":"TOFF","real_sec":1796972405,"real_nsec":-1,"clock_sec":1,"clock_nsec":0})"
         "\n"
         R"({"class":"PPS","real_sec":1796972405,"real_nsec":0,"clock_sec":1e9,"clock_nsec":0})"
         "\n"
         R"({"class":"PPS","real_sec":99999999999999,"real_nsec":0,"clock_sec":1,"clock_nsec":0})"
         "\n"
         R"({"class":"NEW","mode":3})"
         "\n"
         R"({"mode":3})"
         "\n",
         "GPS: listening \u2026"},
    };
    for (const auto& c : cases) {
        GpsdReader fresh;
        fresh.take(c.lines, kSecond);
        EXPECT_EQ(formatGpsLine(fresh.status(), "gpsd", ","), c.expected) << c.lines;
    }

    // A line of JSON ends the problem of one that was not; a stamp ends any.
    reader.take("garbage\n", kSecond);
    reader.take(kNoFix, kSecond);
    EXPECT_EQ(line(), "GPS: no fix");
    reader.take(R"({"class":"DEVICES","devices":[]})"
                "\n",
                kSecond);
    reader.take(kFix, kSecond);
    EXPECT_EQ(reader.status().state, State::Measured);
}

}  // namespace
}  // namespace quarnel
