#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quarnel {

inline constexpr std::string_view kJournalFileName = "Quarnel.log";

// The journal lives beside the settings file, wherever the system keeps that:
// the settings path with its file name replaced. `separators` are the
// characters that end a folder in a path of this system.
std::string journalBeside(std::string_view settingsPath, std::string_view separators);

// The one older copy kept when the journal starts anew.
std::string olderJournal(const std::string& journalPath);

// The journal starts anew when the next line would take it past this size.
inline constexpr std::uint64_t kLargestJournal = 1'000'000;

// Whether the journal, `size` bytes now, moves aside before a line of
// `lineSize` bytes is added. An empty journal never does: there is nothing
// to keep.
bool journalStartsAnew(std::uint64_t size, std::uint64_t lineSize);

}  // namespace quarnel
