#pragma once

#include <cstdio>
#include <string>
#include <string_view>

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

}  // namespace quarnel::testing
