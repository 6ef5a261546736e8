#include "clock/ClockTexts.h"

#include <cstdio>
#include <cstdlib>

namespace quarnel {

std::string formatDateText(const CalendarTime& t) {
    char text[64];  // room for five-digit fields, which a valid time never has
    std::snprintf(text, sizeof text, "%2.2u.%2.2u.%.4u %2.2u.%2.2u.%2.2u,%3.3u", unsigned{t.day},
                  unsigned{t.month}, unsigned{t.year}, unsigned{t.hour}, unsigned{t.minute},
                  unsigned{t.second}, unsigned{t.millisecond});
    return text;
}

std::string formatShiftText(std::int64_t shift, std::string_view decimalSeparator) {
    // Work on the magnitude so that halves round away from zero on both sides.
    const std::uint64_t magnitude = shift < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(shift)
                                              : static_cast<std::uint64_t>(shift);
    constexpr auto kMillisecond = static_cast<std::uint64_t>(kUnitsPerMillisecond);
    const std::uint64_t milliseconds = (magnitude + kMillisecond / 2) / kMillisecond;

    std::string decimals = std::to_string(1000 + milliseconds % 1000).substr(1);
    while (decimals.size() > 1 && decimals.back() == '0') {
        decimals.pop_back();
    }
    std::string text = (shift < 0 && milliseconds != 0) ? "-" : "";
    text += std::to_string(milliseconds / 1000);
    text += decimalSeparator;
    text += decimals;
    return text;
}

std::string formatMillisecondsText(std::int64_t units, bool withSign,
                                   std::string_view decimalSeparator) {
    const auto milliseconds = static_cast<std::uint64_t>(std::llabs(units / kUnitsPerMillisecond));
    std::string text;
    if (withSign) {
        text = units < 0 ? "-" : "+";
    }
    const std::string fraction = std::to_string(milliseconds % 1000);
    text += std::to_string(milliseconds / 1000);
    text += decimalSeparator;
    text += std::string(3 - fraction.size(), '0') + fraction;
    return text;
}

}  // namespace quarnel
