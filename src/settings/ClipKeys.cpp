#include "settings/ClipKeys.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace quarnel {
namespace {

// The index of a key "Clip<N>" as the loader asks for it: "Clip" in any case,
// then N in decimal without leading zeros. Other keys name no clip.
std::optional<std::int32_t> clipIndexOf(std::string_view key) {
    constexpr std::string_view kPrefix = "clip";
    if (key.size() <= kPrefix.size()) {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < kPrefix.size(); ++i) {
        if ((key[i] | 0x20) != kPrefix[i]) {
            return std::nullopt;
        }
    }
    const std::string_view digits = key.substr(kPrefix.size());
    const bool decimal =
        std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!decimal || (digits.size() > 1 && digits.front() == '0')) {
        return std::nullopt;
    }
    return parseIniInteger(digits);
}

}  // namespace

std::string clipKey(std::int32_t index) {
    return "Clip" + std::to_string(index);
}

std::vector<std::int32_t> clipIndicesToRead(const IniDocument& settings) {
    const std::int32_t stored = settings.readInteger(kClipsSection, kClipCountKey, 0);
    std::vector<std::int32_t> present;
    for (const std::string_view key : settings.keysOf(kClipsSection)) {
        const std::optional<std::int32_t> index = clipIndexOf(key);
        if (index && *index < stored) {
            present.push_back(*index);
        }
    }
    std::sort(present.begin(), present.end());
    present.erase(std::unique(present.begin(), present.end()), present.end());
    if (present.empty()) {
        return present;
    }
    const std::int64_t count = std::int64_t{present.back()} + 1;
    if (count - static_cast<std::int64_t>(present.size()) > kMostMissingClips) {
        return present;
    }
    std::vector<std::int32_t> all(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        all[static_cast<std::size_t>(i)] = i;
    }
    return all;
}

}  // namespace quarnel
