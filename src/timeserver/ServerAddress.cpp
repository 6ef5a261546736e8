#include "timeserver/ServerAddress.h"

#include <algorithm>
#include <optional>

#include "text/PortNumber.h"
#include "text/Trimmed.h"

namespace quarnel {

namespace {

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Hex digits, colons and the dots of an IPv4 tail, then an optional zone
// ("%eth0"). The resolver has the last word on the rest of the form.
bool looksLikeIpv6(std::string_view text) {
    const auto zone = text.find('%');
    const std::string_view address = text.substr(0, zone);
    if (zone != std::string_view::npos && zone + 1 == text.size()) {
        return false;
    }
    return std::count(address.begin(), address.end(), ':') >= 2 &&
           std::all_of(address.begin(), address.end(),
                       [](char c) { return isHexDigit(c) || c == ':' || c == '.'; });
}

// Control characters, and the characters that cannot be part of a host name
// the user means (a pasted address with a scheme or a path).
bool isHostName(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7f || c == ' ' || c == '/' || c == '[' || c == ']' ||
               c == '@' || c == '\\';
    });
}

std::variant<ServerAddress, std::string> withPort(std::string host, std::string_view port) {
    if (port.empty()) {
        return std::string("no port after the colon");
    }
    const std::optional<std::uint16_t> number = portNumber(port);
    if (!number) {
        return "the port " + std::string(port) + " is not a number from 1 to 65535";
    }
    return ServerAddress{std::move(host), *number};
}

}  // namespace

std::variant<ServerAddress, std::string> parseServerAddress(std::string_view text) {
    text = trimmed(text);
    if (text.empty()) {
        return std::string("no server given");
    }
    if (text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string_view::npos) {
            return std::string("the closing bracket of the IPv6 address is missing");
        }
        const std::string_view address = text.substr(1, close - 1);
        if (!looksLikeIpv6(address)) {
            return std::string("only an IPv6 address goes in brackets");
        }
        const std::string_view rest = text.substr(close + 1);
        if (rest.empty()) {
            return ServerAddress{std::string(address), kNtpPort};
        }
        if (rest.front() != ':') {
            return std::string("only a port may follow the IPv6 address");
        }
        return withPort(std::string(address), rest.substr(1));
    }
    const auto colons = std::count(text.begin(), text.end(), ':');
    if (colons > 1) {
        if (!looksLikeIpv6(text)) {
            return std::string("the server name has more than one colon");
        }
        return ServerAddress{std::string(text), kNtpPort};
    }
    const std::string_view host = text.substr(0, text.find(':'));
    if (host.empty()) {
        return std::string("no server name before the colon");
    }
    if (!isHostName(host)) {
        return std::string("the server name holds a space or a character no name has");
    }
    if (colons == 0) {
        return ServerAddress{std::string(host), kNtpPort};
    }
    return withPort(std::string(host), text.substr(host.size() + 1));
}

}  // namespace quarnel
