#include "clock/ClockTexts.h"

#include <cstdio>

namespace quarnel {

std::string formatDateText(const CalendarTime& t) {
    char text[64];  // room for five-digit fields, which a valid time never has
    std::snprintf(text, sizeof text, "%2.2u.%2.2u.%.4u %2.2u.%2.2u.%2.2u,%3.3u", unsigned{t.day},
                  unsigned{t.month}, unsigned{t.year}, unsigned{t.hour}, unsigned{t.minute},
                  unsigned{t.second}, unsigned{t.millisecond});
    return text;
}

std::string formatShiftText(std::int64_t shift, std::string_view decimalSeparator) {
    constexpr std::uint64_t kUnitsPerTenth = 1'000'000;
    // Work on the magnitude so that halves round away from zero on both sides.
    const std::uint64_t magnitude = shift < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(shift)
                                              : static_cast<std::uint64_t>(shift);
    const std::uint64_t tenths = (magnitude + kUnitsPerTenth / 2) / kUnitsPerTenth;

    std::string text = (shift < 0 && tenths != 0) ? "-" : "";
    text += std::to_string(tenths / 10);
    text += decimalSeparator;
    text += std::to_string(tenths % 10);
    return text;
}

}  // namespace quarnel
