// The settings reader, from the bytes of a file to typed values and back: any
// file is read without a fault (or found to hold no text), and every value
// read is written so that it reads back the same (a line break inside a value
// as a blank).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "settings/ClipKeys.h"
#include "settings/IniDocument.h"
#include "settings/IniEncoding.h"

namespace {

struct Key {
    std::string_view section;
    std::string_view name;
};

constexpr Key kKeys[] = {
    {"Program", "ActiveTAB"}, {"Program", "Active"},          {"Setup", "Service"},
    {"Setup", "Program"},     {"Setup", "Parameter"},         {"Setup", "Verbose"},
    {"Timing", "Refresh"},    {"Timing", "ResetAlignToZero"}, {"Screen", "Left"},
    {"Screen", "Top"},        {"Clips", "NumOfClips"},
};

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::string asWritten(std::string value) {
    std::replace_if(
        value.begin(), value.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> text = quarnel::decodeIniText(bytes);
    if (!text) {
        return 0;  // no text: left as it is, nothing is written
    }
    const quarnel::IniDocument read = quarnel::IniDocument::parse(*text);

    quarnel::IniDocument written;
    for (const Key& key : kKeys) {
        if (const auto value = read.read(key.section, key.name)) {
            written.write(key.section, key.name, *value);
        }
        written.writeInteger(key.section, std::string(key.name) + "Integer",
                             read.readInteger(key.section, key.name, -7));
    }
    // At most a few clips: the clip keys' count is bounded by the file.
    const std::vector<std::int32_t> clips = quarnel::clipIndicesToRead(read);
    require(clips.size() <= size / 6 + quarnel::kMostMissingClips);
    for (std::size_t i = 0; i < clips.size() && i < 64; ++i) {
        const std::string clipKey = "Clip" + std::to_string(clips[i]);
        written.write("Clips", clipKey, read.read("Clips", clipKey).value_or(""));
    }

    for (const std::string_view lineEnd : {"\n", "\r\n"}) {
        const std::optional<std::string> writtenText =
            quarnel::decodeIniText(written.serialise(lineEnd));
        require(writtenText.has_value());
        const quarnel::IniDocument again = quarnel::IniDocument::parse(*writtenText);
        for (const Key& key : kKeys) {
            const auto value = read.read(key.section, key.name);
            require(again.read(key.section, key.name) ==
                    (value ? std::optional<std::string>(asWritten(*value)) : std::nullopt));
            const std::string integerKey = std::string(key.name) + "Integer";
            require(again.readInteger(key.section, integerKey, 0) ==
                    read.readInteger(key.section, key.name, -7));
        }
    }
    return 0;
}
