#include "gps/GpsSource.h"

#include <algorithm>
#include <array>
#include <optional>

#include "text/Trimmed.h"
#include "timeserver/ServerAddress.h"

namespace quarnel {

namespace {

// The rates serial ports and receivers offer.
constexpr std::array<unsigned, 11> kBaudRates = {1200,  2400,   4800,   9600,   19200, 38400,
                                                 57600, 115200, 230400, 460800, 921600};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool startsWithAnyCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return a == (b >= 'a' && b <= 'z' ? static_cast<char>(b - 'a' + 'A') : b);
           });
}

std::variant<GpsdSource, SerialSource, std::string> gpsdSource(std::string_view address) {
    if (address.empty()) {
        return std::string("no host after \"gpsd:\"");
    }
    auto parsed = parseServerAddress(address);
    if (auto* problem = std::get_if<std::string>(&parsed)) {
        return std::move(*problem);
    }
    // The address reader puts the time server's port where none is written.
    const bool portWritten = address.front() == '['
                                 ? address.find("]:") != std::string_view::npos
                                 : std::count(address.begin(), address.end(), ':') == 1;
    auto& server = std::get<ServerAddress>(parsed);
    return GpsdSource{std::move(server.host), portWritten ? server.port : kGpsdPort};
}

// `rate` is what follows the colon after the port, if there is one.
std::variant<GpsdSource, SerialSource, std::string> serialSource(
    std::string device, std::optional<std::string_view> given) {
    if (!given) {
        return SerialSource{std::move(device), kDefaultBaudRate};
    }
    const std::string_view rate = *given;
    if (rate.empty()) {
        return std::string("no baud rate after the colon");
    }
    unsigned value = 0;
    if (rate.size() <= 6 && std::all_of(rate.begin(), rate.end(), isDigit)) {
        for (const char c : rate) {
            value = value * 10 + static_cast<unsigned>(c - '0');
        }
    }
    if (std::find(kBaudRates.begin(), kBaudRates.end(), value) == kBaudRates.end() ||
        rate.front() == '0') {
        return "the baud rate " + std::string(rate) +
               " is not one a serial port runs at (4800, 9600, ...)";
    }
    return SerialSource{std::move(device), value};
}

}  // namespace

std::variant<GpsdSource, SerialSource, std::string> readGpsSource(std::string_view text) {
    text = trimmed(text);
    if (text.empty()) {
        return std::string("no source given");
    }
    const auto colon = text.find(':');
    const std::string_view name = text.substr(0, colon);
    const auto rest = colon == std::string_view::npos
                          ? std::nullopt
                          : std::optional<std::string_view>(text.substr(colon + 1));
    if (name.size() == 4 && startsWithAnyCase(name, "GPSD")) {
        if (!rest) {
            return GpsdSource{};
        }
        return gpsdSource(trimmed(*rest));
    }
    if (startsWithAnyCase(name, "COM")) {
        const std::string_view number = name.substr(3);
        if (number.empty() || number.size() > 3 || number.front() == '0' ||
            !std::all_of(number.begin(), number.end(), isDigit)) {
            return "the serial port " + std::string(name) + " is not COM1 to COM256";
        }
        if (std::stoi(std::string(number)) > 256) {
            return "the serial port " + std::string(name) + " is not COM1 to COM256";
        }
        return serialSource("COM" + std::string(number), rest);
    }
    if (text.substr(0, 5) == "/dev/") {
        // A device's name may hold a colon: the baud rate follows the last.
        const auto last = text.rfind(':');
        const std::string_view device = text.substr(0, last);
        if (device.size() == 5) {
            return std::string("no device after /dev/");
        }
        if (last == std::string_view::npos) {
            return serialSource(std::string(device), std::nullopt);
        }
        return serialSource(std::string(device), text.substr(last + 1));
    }
    return "the source " + std::string(text) +
           " is neither gpsd, a COM port nor a device under /dev/";
}

}  // namespace quarnel
