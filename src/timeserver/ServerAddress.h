#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "timeserver/NtpPacket.h"

namespace quarnel {

// The time server as the user names it: a host name, an IPv4 address or an
// IPv6 address, with an optional port.
struct ServerAddress {
    std::string host;  // an IPv6 address without its brackets
    std::uint16_t port = kNtpPort;

    bool operator==(const ServerAddress&) const = default;
};

// Reads the server field: "pool.ntp.org", "pool.ntp.org:1234", "192.0.2.1",
// "[2001:db8::1]:123", or an IPv6 address without brackets (then without a
// port: it has more than one colon). Spaces around it are ignored. A text
// that names no server gives the problem, worded to follow "Time server: ".
std::variant<ServerAddress, std::string> parseServerAddress(std::string_view text);

}  // namespace quarnel
