#include "info/VersionText.h"

namespace quarnel {

std::string formatVersionText(const std::array<std::uint16_t, 4>& numbers) {
    std::string text;
    for (const std::uint16_t number : numbers) {
        if (!text.empty()) {
            text += '.';
        }
        text += std::to_string(number);
    }
    return text;
}

}  // namespace quarnel
