#include <gtest/gtest.h>

#include "clock/ClockTexts.h"
#include "clock/TimeCount.h"

namespace quarnel {
namespace {

TimeCount at(std::uint16_t y, std::uint16_t mo, std::uint16_t d, std::uint16_t h, std::uint16_t mi,
             std::uint16_t s, std::uint16_t ms) {
    return toTimeCount({y, mo, 0, d, h, mi, s, ms});
}

struct ShiftCase {
    const char* name;
    TimeCount current;
    std::int64_t shift;
    const char* expected;
};

class ShiftedTimeTest : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(ShiftedTimeTest, ShowsTheShiftedTimeCutToTheMillisecond) {
    const ShiftCase& c = GetParam();
    EXPECT_EQ(formatDateText(shiftedCalendarTime(c.current, c.shift)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, ShiftedTimeTest,
    ::testing::Values(ShiftCase{"YearRollsOver", at(2021, 12, 31, 23, 59, 59, 950), 1'000'000,
                                "01.01.2022 00.00.00,050"},
                      ShiftCase{"TwentyThreeStepsAreExactly2_3s", at(2021, 6, 1, 12, 0, 10, 0),
                                23 * 1'000'000, "01.06.2021 12.00.12,300"},
                      ShiftCase{"OneStepBack", at(2021, 6, 1, 12, 0, 10, 0), -1'000'000,
                                "01.06.2021 12.00.09,900"},
                      ShiftCase{"BackOverNewYear", at(2022, 1, 1, 0, 0, 0, 50), -1'000'000,
                                "31.12.2021 23.59.59,950"},
                      ShiftCase{"LeapDay", at(2024, 2, 28, 23, 59, 59, 999), 10'000,
                                "29.02.2024 00.00.00,000"},
                      // Below the millisecond the new time is cut toward the earlier time,
                      // on either side of zero.
                      ShiftCase{"SubMillisecondForward", at(2021, 6, 1, 12, 0, 0, 0) + 9'999, 0,
                                "01.06.2021 12.00.00,000"},
                      ShiftCase{"SubMillisecondBack", at(2021, 6, 1, 12, 0, 0, 0), -1,
                                "01.06.2021 11.59.59,999"}),
    [](const auto& instance) { return std::string(instance.param.name); });

// No count, however far off, shows a wrapped-around year.
TEST(TimeCountTest, YearsBefore1601AreShownAsTheyAreAndNothingWraps) {
    const std::pair<TimeCount, const char*> cases[] = {
        {-1, "31.12.1600 23.59.59,999"},
        {-kLargestShift, "23.09.1600 00.00.00,000"},
        {at(1, 1, 1, 0, 0, 0, 0), "01.01.0001 00.00.00,000"},
        {at(1, 1, 1, 0, 0, 0, 0) - 1, "01.01.0001 00.00.00,000"},
        {INT64_MIN, "01.01.0001 00.00.00,000"},
        {INT64_MAX, "14.09.30828 02.48.05,477"},
    };
    for (const auto& [count, text] : cases) {
        EXPECT_EQ(formatDateText(toCalendarTime(count)), text) << count;
    }
    EXPECT_EQ(formatDateText(shiftedCalendarTime(INT64_MAX, 1)), "14.09.30828 02.48.05,477");
    EXPECT_EQ(formatDateText(shiftedCalendarTime(INT64_MIN, -1)), "01.01.0001 00.00.00,000");
}

TEST(TimeCountTest, ShiftsAreBoundedToAHundredDaysEitherWay) {
    EXPECT_EQ(kLargestShift, 100LL * 86'400 * 10'000'000);
    EXPECT_TRUE(withinShiftBounds(kLargestShift));
    EXPECT_TRUE(withinShiftBounds(-kLargestShift));
    EXPECT_FALSE(withinShiftBounds(kLargestShift + 1));
    EXPECT_FALSE(withinShiftBounds(-kLargestShift - 1));
}

TEST(TimeCountTest, CalendarTimeRoundTripsAndKnowsTheWeekday) {
    const auto date = [](int y, int mo, int d, int weekday, int h, int mi, int s, int ms) {
        return CalendarTime{.year = std::uint16_t(y),
                            .month = std::uint16_t(mo),
                            .dayOfWeek = std::uint16_t(weekday),
                            .day = std::uint16_t(d),
                            .hour = std::uint16_t(h),
                            .minute = std::uint16_t(mi),
                            .second = std::uint16_t(s),
                            .millisecond = std::uint16_t(ms)};
    };
    for (const CalendarTime t :
         {date(1601, 1, 1, 1, 0, 0, 0, 0), date(1970, 1, 1, 4, 0, 0, 0, 0),
          date(2000, 2, 29, 2, 13, 14, 15, 16), date(2021, 3, 5, 5, 9, 7, 3, 42),
          date(2026, 12, 10, 4, 23, 59, 59, 999)}) {
        EXPECT_EQ(toCalendarTime(toTimeCount(t)), t) << formatDateText(t);
    }
}

TEST(TimeCountTest, CountsFrom1601InHundredNanosecondUnits) {
    // The Unix epoch as a Windows FILETIME.
    EXPECT_EQ(at(1970, 1, 1, 0, 0, 0, 0), 116'444'736'000'000'000);
}

}  // namespace
}  // namespace quarnel
