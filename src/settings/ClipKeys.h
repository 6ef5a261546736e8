#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/IniDocument.h"

namespace quarnel {

// The clip list's section, its count key and the key of clip `index`,
// spelled once for reading and writing.
inline constexpr std::string_view kClipsSection = "Clips";
inline constexpr std::string_view kClipCountKey = "NumOfClips";
std::string clipKey(std::int32_t index);

// The most empty clips that gaps between clip keys may add to a list.
inline constexpr std::int32_t kMostMissingClips = 10'000;

// The indices N of the keys "Clip<N>" to read from the [Clips] section, in
// list order. Indices below `NumOfClips` are read as far as the clip keys
// reach (the highest index present, plus one), so every clip of the file is
// read, a gap of a hand-edited file stays empty clips, and a huge count
// without keys behind it costs nothing. When the gaps together would add more
// than kMostMissingClips empty clips (a crafted Clip2147483646), only the keys
// present are read, in the order of their indices.
std::vector<std::int32_t> clipIndicesToRead(const IniDocument& settings);

}  // namespace quarnel
