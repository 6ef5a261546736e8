// The shell-word splitter on any text: no fault, and the words it gives,
// quoted again, split into the same words.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "keepers/ShellWords.h"

namespace {

// A word in single quotes, each single quote inside as '\''.
std::string quoted(const std::string& word) {
    std::string text = "'";
    for (const char c : word) {
        text += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return text + "'";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto words = quarnel::splitShellWords(text);
    if (!words) {
        return 0;
    }
    std::string again;
    for (const std::string& word : *words) {
        again += quoted(word) + " ";
    }
    if (quarnel::splitShellWords(again) != words) {
        std::abort();
    }
    return 0;
}
