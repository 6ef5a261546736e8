#include <gtest/gtest.h>

#include "journal/JournalFile.h"
#include "keepers/FileNamePart.h"

namespace quarnel {
namespace {

TEST(JournalFileTest, TheJournalIsBesideTheSettingsFile) {
    const struct {
        const char* settings;
        std::string_view separators;
        const char* expected;
    } cases[] = {
        {"/home/op/.config/quarnel/Quarnel.ini", kLinuxPathSeparators,
         "/home/op/.config/quarnel/Quarnel.log"},
        {"/Quarnel.ini", kLinuxPathSeparators, "/Quarnel.log"},
        {"Quarnel.ini", kLinuxPathSeparators, "Quarnel.log"},
        {"C:\\Ham\\Quarnel.ini", kWindowsPathSeparators, "C:\\Ham\\Quarnel.log"},
        {"C:\\Quarnel.ini", kWindowsPathSeparators, "C:\\Quarnel.log"},
        {"D:/radio/Quarnel.ini", kWindowsPathSeparators, "D:/radio/Quarnel.log"},
        {"/home/op/back\\slash.ini", kLinuxPathSeparators, "/home/op/Quarnel.log"},
    };
    for (const auto& [settings, separators, expected] : cases) {
        EXPECT_EQ(journalBeside(settings, separators), expected) << settings;
    }
    EXPECT_EQ(olderJournal("/home/op/Quarnel.log"), "/home/op/Quarnel.log.1");
}

// 1 MB is 1,000,000 bytes; reaching it exactly is not going past it.
TEST(JournalFileTest, TheJournalStartsAnewOnlyWhenTheLineWouldTakeItPastOneMegabyte) {
    const struct {
        std::uint64_t size;
        std::uint64_t line;
        bool anew;
    } cases[] = {
        {0, 80, false},
        {0, 2'000'000, false},  // nothing to keep
        {999'920, 80, false},
        {999'921, 80, true},
        {999'999, 1, false},
        {1'000'000, 1, true},
        {1'000'000, 0, false},
        {5'000'000, 80, true},  // grown by someone else
        {UINT64_MAX, UINT64_MAX, true},
    };
    for (const auto& [size, line, anew] : cases) {
        EXPECT_EQ(journalStartsAnew(size, line), anew) << size << " + " << line;
    }
}

}  // namespace
}  // namespace quarnel
