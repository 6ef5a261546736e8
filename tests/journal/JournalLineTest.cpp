#include <gtest/gtest.h>

#include "journal/JournalLine.h"

namespace quarnel {
namespace {

TEST(JournalSecondsTest, SignedWithAPointAndOnlyTheDecimalsNeeded) {
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "+0.0 s"},
        {3'000'000, "+0.3 s"},
        {-500'000, "-0.05 s"},
        {1, "+0.0000001 s"},
        {-1, "-0.0000001 s"},
        {10'000'000, "+1.0 s"},
        {-23'000'000, "-2.3 s"},
        {12'345'678, "+1.2345678 s"},
        {kLargestShift, "+8640000.0 s"},
        {-kLargestShift - 1, "-8640000.0000001 s"},
        {INT64_MIN, "-922337203685.4775808 s"},
        {INT64_MAX, "+922337203685.4775807 s"},
    };
    for (const auto& [amount, expected] : cases) {
        EXPECT_EQ(journalSeconds(amount), expected) << amount;
    }
}

// A time with a part below the millisecond, which the line leaves out.
const TimeCount kAt = toTimeCount({2021, 3, 5, 5, 8, 9, 7, 3}) + 9'999;

TEST(JournalLineTest, EveryKindOfEntryHasItsColumns) {
    const struct {
        std::string line;
        const char* expected;
    } cases[] = {
        {clockChangeLine(kAt, ClockChange::Set, 3'000'000, 3'000'000, "buttons"),
         "2021-03-05 08:09:07.003 UTC  SET     +0.3 s  total +0.3 s  from buttons\n"},
        {clockChangeLine(kAt, ClockChange::Set, -500'000, 2'500'000, "Use: decodes"),
         "2021-03-05 08:09:07.003 UTC  SET     -0.05 s  total +0.25 s  from Use: decodes\n"},
        {clockChangeLine(kAt, ClockChange::Reset, -3'000'000, 0, "RESET button"),
         "2021-03-05 08:09:07.003 UTC  RESET   -0.3 s  total +0.0 s  from RESET button\n"},
        {clockChangeLine(kAt, ClockChange::Accept, 0, 0, ""),
         "2021-03-05 08:09:07.003 UTC  ACCEPT  +0.0 s  total +0.0 s\n"},
        {refusalLine(kAt, ClockChange::Set, 1, "Operation not permitted"),
         "2021-03-05 08:09:07.003 UTC  SET     +0.0000001 s  refused: Operation not permitted\n"},
        {refusalLine(kAt, ClockChange::Accept, 0, "Access is denied."),
         "2021-03-05 08:09:07.003 UTC  ACCEPT  +0.0 s  refused: Access is denied.\n"},
        {keeperLine(kAt, TKeeperAction::Stop, "service chronyd", std::nullopt),
         "2021-03-05 08:09:07.003 UTC  STOP    service chronyd: done\n"},
        {keeperLine(kAt, TKeeperAction::Start, "program /usr/bin/x", "a quote is left open"),
         "2021-03-05 08:09:07.003 UTC  START   program /usr/bin/x: failed: a quote is left "
         "open\n"},
    };
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(line, expected);
    }
}

TEST(JournalLineTest, TheTimeIsPaddedAndItsFieldsInOrder) {
    EXPECT_EQ(keeperLine(toTimeCount({987, 1, 0, 2, 3, 4, 5, 60}), TKeeperAction::Stop, "s",
                         std::nullopt),
              "0987-01-02 03:04:05.060 UTC  STOP    s: done\n");
}

// A path or a reason may hold a line break (a file name on Linux, a text of
// the time service); a journal line must not end early or be forged.
TEST(JournalLineTest, ControlCharactersInTheFreeTextsBecomeSpaces) {
    EXPECT_EQ(keeperLine(kAt, TKeeperAction::Start, "program /tmp/a\nb\tc\x7F",
                         std::string("no\r\nway\0", 8)),
              "2021-03-05 08:09:07.003 UTC  START   program /tmp/a b c : failed: no  way \n");
    EXPECT_EQ(clockChangeLine(kAt, ClockChange::Set, 0, 0, "x\ny"),
              "2021-03-05 08:09:07.003 UTC  SET     +0.0 s  total +0.0 s  from x y\n");
    EXPECT_EQ(refusalLine(kAt, ClockChange::Reset, 0, "Gr\xC3\xBC\xC3\x9F\x65\n"),
              "2021-03-05 08:09:07.003 UTC  RESET   +0.0 s  refused: Gr\xC3\xBC\xC3\x9F\x65 \n")
        << "UTF-8 passes untouched";
}

}  // namespace
}  // namespace quarnel
