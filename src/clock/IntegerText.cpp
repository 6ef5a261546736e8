#include "clock/IntegerText.h"

#include <charconv>
#include <stdexcept>

namespace quarnel {

std::int32_t strToInt(const std::string& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    // from_chars takes a "-" but not a "+"; a "+" must be followed by a digit.
    if (first != last && *first == '+' && last - first > 1 && first[1] != '-') {
        ++first;
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (first == last || error != std::errc{} || end != last) {
        throw std::runtime_error("'" + text + "' ist kein gültiger Integerwert");
    }
    return value;
}

}  // namespace quarnel
