#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "clock/TimeCount.h"

namespace quarnel::testing {

// "$<body>*hh\r\n" with the checksum the body needs, as a receiver sends it.
inline std::string nmeaLine(std::string_view body) {
    unsigned sum = 0;
    for (const char c : body) {
        sum ^= static_cast<unsigned char>(c);
    }
    char checksum[4];
    std::snprintf(checksum, sizeof checksum, "%02X", sum);
    return "$" + std::string(body) + "*" + checksum + "\r\n";
}

// hhmmss.00 and ddmmyy, as the sentences write a second's time and date.
inline std::string timeField(const CalendarTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u%02u%02u.00", unsigned{t.hour}, unsigned{t.minute},
                  unsigned{t.second});
    return text;
}

inline std::string dateField(const CalendarTime& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%02u%02u%02u", unsigned{t.day}, unsigned{t.month},
                  unsigned{t.year % 100u});
    return text;
}

// A receiver's RMC of the second (status A with a fix, V without) and its
// GGA (fix quality and satellites in use).
inline std::string rmc(const CalendarTime& t, char status = 'A') {
    return nmeaLine("GNRMC," + timeField(t) + "," + status +
                    ",4717.11437,N,00833.91522,E,0.004,77.52," + dateField(t) + ",,,A");
}

inline std::string gga(const CalendarTime& t, int quality = 1, int satellites = 7) {
    char fields[64];
    std::snprintf(fields, sizeof fields, ",%d,%02d,1.01,499.6,M,48.0,M,,", quality, satellites);
    return nmeaLine("GNGGA," + timeField(t) + ",4717.11399,N,00833.91590,E" + fields);
}

}  // namespace quarnel::testing
