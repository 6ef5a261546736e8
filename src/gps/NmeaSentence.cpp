#include "gps/NmeaSentence.h"

#include <algorithm>
#include <vector>

namespace quarnel {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allDigits(std::string_view text) {
    return std::all_of(text.begin(), text.end(), isDigit);
}

int twoDigits(std::string_view text) {
    return (text[0] - '0') * 10 + (text[1] - '0');
}

std::optional<int> hexDigit(char c) {
    if (isDigit(c)) {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return std::nullopt;
}

std::vector<std::string_view> splitFields(std::string_view body) {
    std::vector<std::string_view> fields;
    while (true) {
        const auto comma = body.find(',');
        fields.push_back(body.substr(0, comma));
        if (comma == std::string_view::npos) {
            return fields;
        }
        body.remove_prefix(comma + 1);
    }
}

// A field the sentence leaves out at its end reads as empty.
std::string_view field(const std::vector<std::string_view>& fields, std::size_t index) {
    return index < fields.size() ? fields[index] : std::string_view{};
}

// "hhmmss" with an optional fraction of any length, cut to milliseconds.
std::variant<std::optional<NmeaTimeOfDay>, NmeaFault> readTime(std::string_view text) {
    if (text.empty()) {
        return std::optional<NmeaTimeOfDay>{};
    }
    const std::string_view whole = text.substr(0, text.find('.'));
    std::string_view fraction =
        whole.size() < text.size() ? text.substr(whole.size() + 1) : std::string_view{};
    if (whole.size() != 6 || !allDigits(whole) || !allDigits(fraction)) {
        return NmeaFault::BadField;
    }
    NmeaTimeOfDay time{twoDigits(whole), twoDigits(whole.substr(2)), twoDigits(whole.substr(4)), 0};
    if (time.hour > 23 || time.minute > 59 || time.second > 60) {
        return NmeaFault::BadField;
    }
    for (std::size_t i = 0; i < 3; ++i) {
        time.millisecond = time.millisecond * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
    }
    return std::optional<NmeaTimeOfDay>{time};
}

bool plausibleDay(int day, int month) {
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

// RMC's "ddmmyy".
std::variant<std::optional<NmeaDate>, NmeaFault> readShortDate(std::string_view text) {
    if (text.empty()) {
        return std::optional<NmeaDate>{};
    }
    if (text.size() != 6 || !allDigits(text)) {
        return NmeaFault::BadField;
    }
    const NmeaDate date{twoDigits(text.substr(4)), twoDigits(text.substr(2)), twoDigits(text),
                        true};
    if (!plausibleDay(date.day, date.month)) {
        return NmeaFault::BadField;
    }
    return std::optional<NmeaDate>{date};
}

// ZDA's day, month and four-digit year, all three or none.
std::variant<std::optional<NmeaDate>, NmeaFault> readLongDate(std::string_view day,
                                                              std::string_view month,
                                                              std::string_view year) {
    if (day.empty() && month.empty() && year.empty()) {
        return std::optional<NmeaDate>{};
    }
    if (day.size() != 2 || month.size() != 2 || year.size() != 4 || !allDigits(day) ||
        !allDigits(month) || !allDigits(year)) {
        return NmeaFault::BadField;
    }
    const NmeaDate date{twoDigits(year) * 100 + twoDigits(year.substr(2)), twoDigits(month),
                        twoDigits(day), false};
    if (!plausibleDay(date.day, date.month)) {
        return NmeaFault::BadField;
    }
    return std::optional<NmeaDate>{date};
}

// A small count (GGA's quality and satellites); empty is no value.
std::variant<std::optional<int>, NmeaFault> readCount(std::string_view text) {
    if (text.empty()) {
        return std::optional<int>{};
    }
    if (text.size() > 3 || !allDigits(text)) {
        return NmeaFault::BadField;
    }
    int value = 0;
    for (const char c : text) {
        value = value * 10 + (c - '0');
    }
    return std::optional<int>{value};
}

// Sets `target` from a field reader's answer; false on a fault.
template <typename T>
bool take(std::variant<std::optional<T>, NmeaFault> read, std::optional<T>& target) {
    if (std::holds_alternative<NmeaFault>(read)) {
        return false;
    }
    target = std::get<std::optional<T>>(read);
    return true;
}

}  // namespace

std::variant<NmeaSentence, NmeaFault> readNmeaSentence(std::string_view line) {
    if (line.empty() || line.front() != '$') {
        return NmeaFault::NotASentence;
    }
    const auto star = line.rfind('*');
    if (star == std::string_view::npos || line.size() != star + 3) {
        return NmeaFault::NoChecksum;
    }
    const auto high = hexDigit(line[star + 1]);
    const auto low = hexDigit(line[star + 2]);
    if (!high || !low) {
        return NmeaFault::NoChecksum;
    }
    const std::string_view body = line.substr(1, star - 1);
    unsigned sum = 0;
    for (const char c : body) {
        sum ^= static_cast<unsigned char>(c);
    }
    if (sum != static_cast<unsigned>(*high * 16 + *low)) {
        return NmeaFault::BadChecksum;
    }

    const auto fields = splitFields(body);
    const std::string_view address = fields[0];
    NmeaSentence sentence;
    if (!address.empty() && address.front() == 'P') {
        sentence.talker = "P";
        return sentence;
    }
    if (address.size() != 5) {
        return NmeaFault::NotASentence;
    }
    sentence.talker = std::string(address.substr(0, 2));
    const std::string_view type = address.substr(2);
    bool good = true;
    if (type == "RMC") {
        sentence.type = NmeaSentence::Type::Rmc;
        good = take(readTime(field(fields, 1)), sentence.time) &&
               take(readShortDate(field(fields, 9)), sentence.date);
        const std::string_view status = field(fields, 2);
        if (status == "A" || status == "V") {
            sentence.valid = status == "A";
        } else if (!status.empty()) {
            good = false;
        }
    } else if (type == "ZDA") {
        sentence.type = NmeaSentence::Type::Zda;
        good =
            take(readTime(field(fields, 1)), sentence.time) &&
            take(readLongDate(field(fields, 2), field(fields, 3), field(fields, 4)), sentence.date);
    } else if (type == "GGA") {
        sentence.type = NmeaSentence::Type::Gga;
        good = take(readTime(field(fields, 1)), sentence.time) &&
               take(readCount(field(fields, 6)), sentence.fixQuality) &&
               take(readCount(field(fields, 7)), sentence.satellites);
    }
    if (!good) {
        return NmeaFault::BadField;
    }
    return sentence;
}

}  // namespace quarnel
