#include "journal/JournalFile.h"

#include <algorithm>

#include "keepers/FileNamePart.h"

namespace quarnel {

std::string journalBeside(std::string_view settingsPath, std::string_view separators) {
    const std::size_t nameSize = fileNamePart(settingsPath, separators).size();
    return std::string(settingsPath.substr(0, settingsPath.size() - nameSize)) +
           std::string(kJournalFileName);
}

std::string olderJournal(const std::string& journalPath) {
    return journalPath + ".1";
}

bool journalStartsAnew(std::uint64_t size, std::uint64_t lineSize) {
    return size > 0 && lineSize > kLargestJournal - std::min(size, kLargestJournal);
}

}  // namespace quarnel
