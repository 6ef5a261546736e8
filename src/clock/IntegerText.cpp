#include "clock/IntegerText.h"

#include <charconv>

namespace quarnel {

std::optional<std::int32_t> decimalInteger(std::string_view text) {
    const char* first = text.data();
    const char* last = first + text.size();
    // from_chars takes a "-" but not a "+"; a "+" must be followed by a digit.
    if (first != last && *first == '+' && last - first > 1 && first[1] != '-') {
        ++first;
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc{} || end != last) {
        return std::nullopt;
    }
    return value;
}

std::string notAnIntegerMessage(std::string_view text) {
    return "'" + std::string(text) + "' ist kein gültiger Integerwert";
}

}  // namespace quarnel
