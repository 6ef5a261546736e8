#include "gps/NmeaSentence.h"

#include <gmock/gmock.h>

namespace quarnel {
namespace {

using Type = NmeaSentence::Type;

NmeaSentence sentence(Type type, const char* talker) {
    NmeaSentence result;
    result.type = type;
    result.talker = talker;
    return result;
}

NmeaSentence withTime(NmeaSentence result, NmeaTimeOfDay time) {
    result.time = time;
    return result;
}

TEST(NmeaSentence, ReadsWhatReceiversSend) {
    const auto rmc = [](const char* talker, NmeaTimeOfDay time, NmeaDate date, bool valid) {
        auto result = withTime(sentence(Type::Rmc, talker), time);
        result.date = date;
        result.valid = valid;
        return result;
    };
    const auto gga = [](const char* talker, std::optional<NmeaTimeOfDay> time, int quality,
                        int satellites) {
        auto result = sentence(Type::Gga, talker);
        result.time = time;
        result.fixQuality = quality;
        result.satellites = satellites;
        return result;
    };
    auto zda = withTime(sentence(Type::Zda, "GP"), {20, 15, 30, 0});
    zda.date = NmeaDate{2002, 7, 4, false};
    auto rmcWithoutFix = sentence(Type::Rmc, "GP");
    rmcWithoutFix.valid = false;

    const struct {
        const char* line;
        NmeaSentence expected;
    } cases[] = {
        {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A",
         rmc("GP", {12, 35, 19, 0}, {94, 3, 23, true}, true)},
        // NMEA 4.1 with a mode and a navigation status, multi-constellation.
        {"$GNRMC,083559.00,A,4717.11437,N,00833.91522,E,0.004,77.52,091202,,,A*49",
         rmc("GN", {8, 35, 59, 0}, {2, 12, 9, true}, true)},
        // The receiver's own clock before a fix: time and date without a position.
        {"$GLRMC,083559.25,V,,,,,,,091202,,,N*6C",
         rmc("GL", {8, 35, 59, 250}, {2, 12, 9, true}, false)},
        // A leap second.
        {"$GPRMC,235960,A,4807.038,N,01131.000,E,022.4,084.4,311216,003.1,W*65",
         rmc("GP", {23, 59, 60, 0}, {16, 12, 31, true}, true)},
        {"$GPRMC,,V,,,,,,,,,,N*53", rmcWithoutFix},
        {"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47",
         gga("GP", NmeaTimeOfDay{12, 35, 19, 0}, 1, 8)},
        {"$GNGGA,092725.00,4717.11399,N,00833.91590,E,1,08,1.01,499.6,M,48.0,M,,*45",
         gga("GN", NmeaTimeOfDay{9, 27, 25, 0}, 1, 8)},
        {"$GPGGA,,,,,,0,00,99.99,,,,,,*48", gga("GP", std::nullopt, 0, 0)},
        {"$GPZDA,201530.00,04,07,2002,00,00*60", zda},
        // Sentences this program does not read; a lower-case checksum.
        {"$GLGSV,2,1,07,65,64,037,,66,47,270,,72,21,049,,73,13,150,*6b",
         sentence(Type::Other, "GL")},
        {"$GAGSV,1,1,02,09,62,069,,10,30,248,*64", sentence(Type::Other, "GA")},
        {"$BDGSA,A,3,06,09,16,,,,,,,,,,1.7,1.0,1.4*29", sentence(Type::Other, "BD")},
        {"$PUBX,00,081350.00,4717.113210,N,00833.915187,E,546.589,G3,2.1,2.0,0.007,77.52,0.007,,0."
         "92,1.19,0.77,9,0,0*5F",
         sentence(Type::Other, "P")},
    };
    for (const auto& c : cases) {
        const auto read = readNmeaSentence(c.line);
        ASSERT_TRUE(std::holds_alternative<NmeaSentence>(read)) << c.line;
        EXPECT_EQ(std::get<NmeaSentence>(read), c.expected) << c.line;
    }
}

TEST(NmeaSentence, DropsWhatCannotBeTrusted) {
    const struct {
        const char* line;
        NmeaFault expected;
    } cases[] = {
        // One character garbled on the line.
        {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230395,003.1,W*6A",
         NmeaFault::BadChecksum},
        {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6B",
         NmeaFault::BadChecksum},
        {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W",
         NmeaFault::NoChecksum},
        {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6",
         NmeaFault::NoChecksum},
        {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6AX",
         NmeaFault::NoChecksum},
        {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*G0",
         NmeaFault::NoChecksum},
        // The end of a sentence whose beginning was lost.
        {"4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", NmeaFault::NotASentence},
        {"!AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0*26", NmeaFault::NotASentence},
        {"$GPRM,1*15", NmeaFault::NotASentence},
        {"$*00", NmeaFault::NotASentence},
        {"", NmeaFault::NotASentence},
        // Fields that cannot be, each with its checksum right.
        {"$GPRMC,246000,A,,,,,,,230394,,*29", NmeaFault::BadField},
        {"$GPRMC,123561,A,,,,,,,230394,,*2B", NmeaFault::BadField},
        {"$GPRMC,1235,A,,,,,,,230394,,*2C", NmeaFault::BadField},
        {"$GPRMC,123519,X,,,,,,,230394,,*3D", NmeaFault::BadField},
        {"$GPRMC,123519,A,,,,,,,231394,,*25", NmeaFault::BadField},
        {"$GPRMC,123519,A,,,,,,,000394,,*25", NmeaFault::BadField},
        {"$GPZDA,201530.00,04,07,02,00,00*62", NmeaFault::BadField},
        {"$GPGGA,123519,,,,,x,08,,,,,,,*2B", NmeaFault::BadField},
    };
    for (const auto& c : cases) {
        const auto read = readNmeaSentence(c.line);
        ASSERT_TRUE(std::holds_alternative<NmeaFault>(read)) << c.line;
        EXPECT_EQ(std::get<NmeaFault>(read), c.expected) << c.line;
    }
}

}  // namespace
}  // namespace quarnel
