#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "gps/GpsdReader.h"

namespace quarnel {

inline constexpr unsigned kDefaultBaudRate = 4800;

// gpsd, which owns the receiver and shares it.
struct GpsdSource {
    std::string host = "localhost";  // an IPv6 address without its brackets
    std::uint16_t port = kGpsdPort;

    bool operator==(const GpsdSource&) const = default;
};

// A receiver on a serial port: "COM4" on Windows, "/dev/ttyUSB0" on Linux.
struct SerialSource {
    std::string device;
    unsigned baudRate = kDefaultBaudRate;

    bool operator==(const SerialSource&) const = default;
};

// Reads the source field: "gpsd", "gpsd:host", "gpsd:host:port" (an IPv6
// host in brackets), "COM4", "COM4:9600", "/dev/ttyUSB0",
// "/dev/ttyACM0:9600". Spaces around it are ignored; "gpsd" and "COM" in
// any case. A text that names no source gives the problem, worded to follow
// "GPS: ".
std::variant<GpsdSource, SerialSource, std::string> readGpsSource(std::string_view text);

}  // namespace quarnel
