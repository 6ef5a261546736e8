#include "journal/JournalLine.h"

#include <cstdio>

namespace quarnel {
namespace {

constexpr std::size_t kDecimals = 7;  // 100 ns, the unit of every shift

std::string timeColumn(TimeCount utc) {
    const CalendarTime t = toCalendarTime(utc);
    char text[64];  // room for five-digit fields, which a valid time never has
    std::snprintf(text, sizeof text, "%.4u-%2.2u-%2.2u %2.2u:%2.2u:%2.2u.%3.3u UTC",
                  unsigned{t.year}, unsigned{t.month}, unsigned{t.day}, unsigned{t.hour},
                  unsigned{t.minute}, unsigned{t.second}, unsigned{t.millisecond});
    return text;
}

// The column of what happened is as wide as its longest word, ACCEPT.
std::string lineStart(TimeCount utc, std::string_view what) {
    constexpr std::size_t kWhatWidth = 6;
    std::string line = timeColumn(utc) + "  " + std::string(what);
    line.append(what.size() < kWhatWidth ? kWhatWidth - what.size() : 0, ' ');
    return line + "  ";
}

std::string_view changeName(ClockChange kind) {
    switch (kind) {
        case ClockChange::Set:
            return "SET";
        case ClockChange::Reset:
            return "RESET";
        case ClockChange::Accept:
            return "ACCEPT";
    }
    return "?";
}

std::string oneLine(std::string_view text) {
    std::string line(text);
    for (char& c : line) {
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7F') {
            c = ' ';
        }
    }
    return line;
}

}  // namespace

std::string journalSeconds(std::int64_t amount) {
    const auto unitsPerSecond = static_cast<std::uint64_t>(kUnitsPerSecond);
    const std::uint64_t magnitude = amount < 0
                                        ? std::uint64_t{0} - static_cast<std::uint64_t>(amount)
                                        : static_cast<std::uint64_t>(amount);
    std::string fraction = std::to_string(magnitude % unitsPerSecond);
    fraction.insert(0, kDecimals - fraction.size(), '0');
    const std::size_t lastDigit = fraction.find_last_not_of('0');
    fraction.resize(lastDigit == std::string::npos ? 1 : lastDigit + 1);
    return (amount < 0 ? "-" : "+") + std::to_string(magnitude / unitsPerSecond) + "." + fraction +
           " s";
}

std::string clockChangeLine(TimeCount utc, ClockChange kind, std::int64_t amount,
                            std::int64_t total, std::string_view source) {
    std::string line = lineStart(utc, changeName(kind)) + journalSeconds(amount) + "  total " +
                       journalSeconds(total);
    if (!source.empty()) {
        line += "  from " + oneLine(source);
    }
    return line + "\n";
}

std::string refusalLine(TimeCount utc, ClockChange kind, std::int64_t amount,
                        std::string_view reason) {
    return lineStart(utc, changeName(kind)) + journalSeconds(amount) +
           "  refused: " + oneLine(reason) + "\n";
}

std::string keeperLine(TimeCount utc, TKeeperAction action, std::string_view what,
                       const std::optional<std::string>& failure) {
    const std::string result = failure ? "failed: " + oneLine(*failure) : "done";
    return lineStart(utc, action == TKeeperAction::Stop ? "STOP" : "START") + oneLine(what) + ": " +
           result + "\n";
}

}  // namespace quarnel
