// Feeds arbitrary text to the reading of a decode's sender: it may not read
// past the text, and what it names must be a plausible call taken from it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "decodes/DecodeSender.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view message(reinterpret_cast<const char*>(data), size);
    const auto sender = quarnel::senderOf(message);
    if (sender &&
        (!quarnel::isPlausibleCall(*sender) || message.find(*sender) == std::string_view::npos)) {
        std::abort();
    }
    return 0;
}
