#include "gps/GpsdReader.h"

#include <algorithm>
#include <string>

namespace quarnel {

namespace {

// 1 January 1970 on the clock's scale.
constexpr TimeCount kUnixEpoch = 116'444'736'000'000'000;
// Seconds since 1970 this program takes from gpsd: up to the year 9999.
constexpr std::int64_t kLatestUnixSecond = 253'402'300'799;

std::optional<TimeCount> unixTime(const JsonValue* seconds, const JsonValue* nanoseconds) {
    if (seconds == nullptr || nanoseconds == nullptr) {
        return std::nullopt;
    }
    const auto whole = seconds->integer();
    const auto part = nanoseconds->integer();
    if (!whole || !part || *whole < 0 || *whole > kLatestUnixSecond || *part < 0 ||
        *part >= 1'000'000'000) {
        return std::nullopt;
    }
    return kUnixEpoch + *whole * kUnitsPerSecond + *part / 100;
}

std::optional<int> digitsAt(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text.substr(at, count)) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// gpsd's "2026-12-11T07:00:00.000Z": UTC, the fraction of any length.
std::optional<TimeCount> isoUtc(std::string_view text) {
    if (text.size() < 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text.back() != 'Z') {
        return std::nullopt;
    }
    const auto year = digitsAt(text, 0, 4);
    const auto month = digitsAt(text, 5, 2);
    const auto day = digitsAt(text, 8, 2);
    const auto hour = digitsAt(text, 11, 2);
    const auto minute = digitsAt(text, 14, 2);
    const auto second = digitsAt(text, 17, 2);
    std::string_view fraction = text.substr(19, text.size() - 20);
    if (!fraction.empty()) {
        if (fraction.front() != '.' || fraction.size() < 2) {
            return std::nullopt;
        }
        fraction.remove_prefix(1);
    }
    int millisecond = 0;
    for (std::size_t i = 0; i < fraction.size(); ++i) {
        const auto digit = digitsAt(fraction, i, 1);
        if (!digit) {
            return std::nullopt;
        }
        if (i < 3) {
            millisecond = millisecond * 10 + *digit;
        }
    }
    for (std::size_t i = fraction.size(); i < 3; ++i) {
        millisecond *= 10;
    }
    if (!year || !month || !day || !hour || !minute || !second) {
        return std::nullopt;
    }
    return receiverUtc(*year, *month, *day, *hour, *minute, *second, millisecond);
}

// gpsd's text for the line: printable, and short.
std::string shown(std::string_view text) {
    std::string result;
    for (const char c : text.substr(0, 120)) {
        result += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? ' ' : c;
    }
    return result;
}

}  // namespace

void GpsdReader::read(std::string_view bytes, TimeCount stamp) {
    for (const auto& line : m_splitter.take(bytes, stamp)) {
        if (line.cut) {
            continue;
        }
        const auto message = readJson(line.text);
        if (!message || message->kind != JsonValue::Kind::Object) {
            setProblem("what came is not gpsd's JSON (is it gpsd on that port?)");
            m_garbled = true;
            continue;
        }
        if (m_garbled) {
            setProblem({});
            m_garbled = false;
        }
        takeMessage(*message, line.stamp);
    }
}

void GpsdReader::takeMessage(const JsonValue& message, TimeCount stamp) {
    const auto* classMember = message.member("class");
    const auto kind = classMember != nullptr ? classMember->string() : std::nullopt;
    if (!kind) {
        return;
    }
    if (*kind == "TPV") {
        takeFix(message, stamp);
    } else if (*kind == "PPS") {
        takeStampPair(message, GpsTiming::Pulse);
    } else if (*kind == "TOFF") {
        takeStampPair(message, GpsTiming::BurstStart);
    } else if (*kind == "SKY") {
        takeSky(message);
    } else if (*kind == "VERSION") {
        const auto* major = message.member("proto_major");
        const auto version = major != nullptr ? major->integer() : std::nullopt;
        if (version != 3) {
            setProblem("gpsd speaks a protocol this program does not read");
        }
    } else if (*kind == "DEVICES") {
        const auto* devices = message.member("devices");
        if (devices != nullptr && devices->kind == JsonValue::Kind::Array &&
            devices->items.empty()) {
            setProblem("gpsd has no receiver");
        }
    } else if (*kind == "ERROR") {
        const auto* text = message.member("message");
        const auto said = text != nullptr ? text->string() : std::nullopt;
        setProblem("gpsd says \"" + shown(said.value_or("")) + "\"");
    }
}

void GpsdReader::takeStampPair(const JsonValue& message, GpsTiming timing) {
    if (m_fix == false) {
        return;
    }
    const auto real = unixTime(message.member("real_sec"), message.member("real_nsec"));
    const auto clock = unixTime(message.member("clock_sec"), message.member("clock_nsec"));
    if (real && clock) {
        takeStamp(timing, *real, *clock);
    }
}

void GpsdReader::takeFix(const JsonValue& message, TimeCount stamp) {
    const auto* modeMember = message.member("mode");
    const auto mode = modeMember != nullptr ? modeMember->integer() : std::nullopt;
    if (!mode) {
        return;
    }
    m_fix = *mode >= 2;
    if (!*m_fix) {
        lostFix();
        return;
    }
    const auto* time = message.member("time");
    const auto text = time != nullptr ? time->string() : std::nullopt;
    if (const auto utc = text ? isoUtc(*text) : std::nullopt) {
        takeStamp(GpsTiming::Report, *utc, stamp);
    }
}

void GpsdReader::takeSky(const JsonValue& message) {
    const auto* used = message.member("uSat");
    if (const auto count = used != nullptr ? used->integer() : std::nullopt) {
        if (*count >= 0 && *count <= 1000) {
            setSatellites(static_cast<int>(*count));
        }
        return;
    }
    const auto* satellites = message.member("satellites");
    if (satellites == nullptr || satellites->kind != JsonValue::Kind::Array) {
        return;
    }
    setSatellites(static_cast<int>(
        std::count_if(satellites->items.begin(), satellites->items.end(), [](const auto& item) {
            const auto* flag = item.member("used");
            return flag != nullptr && flag->boolValue() == true;
        })));
}

}  // namespace quarnel
