#include <gtest/gtest.h>

#include "clock/ClockTexts.h"

namespace quarnel {
namespace {

TEST(DateTextTest, UsesFixedSeparatorsAndZeroPadding) {
    EXPECT_EQ(formatDateText({2021, 3, 5, 5, 9, 7, 3, 42}), "05.03.2021 09.07.03,042");
    EXPECT_EQ(formatDateText({987, 12, 0, 31, 23, 59, 59, 999}), "31.12.0987 23.59.59,999");
}

struct ShiftTextCase {
    std::int64_t shift;  // 100-ns units
    const char* separator;
    const char* expected;
};

class ShiftTextTest : public ::testing::TestWithParam<ShiftTextCase> {};

TEST_P(ShiftTextTest, AsManyDecimalsAsTheShiftHasUpToThree) {
    const ShiftTextCase& c = GetParam();
    EXPECT_EQ(formatShiftText(c.shift, c.separator), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ShiftTextTest,
    ::testing::Values(ShiftTextCase{0, ",", "0,0"}, ShiftTextCase{0, ".", "0.0"},
                      ShiftTextCase{3'000'000, ",", "0,3"}, ShiftTextCase{3'000'000, ".", "0.3"},
                      ShiftTextCase{-1'000'000, ",", "-0,1"},
                      // wheel steps of 0.05 s are shown whole, not rounded away
                      ShiftTextCase{500'000, ",", "0,05"}, ShiftTextCase{1'500'000, ",", "0,15"},
                      ShiftTextCase{-3'500'000, ",", "-0,35"},
                      // a suggestion to the millisecond
                      ShiftTextCase{-3'120'000, ",", "-0,312"}, ShiftTextCase{10'000, ".", "0.001"},
                      // finer parts round to the millisecond, halves away from zero
                      ShiftTextCase{3'124'999, ",", "0,312"},
                      ShiftTextCase{3'125'000, ",", "0,313"},
                      ShiftTextCase{-3'125'000, ",", "-0,313"},
                      // no sign on what rounds to zero
                      ShiftTextCase{4'999, ",", "0,0"}, ShiftTextCase{-4'999, ",", "0,0"},
                      ShiftTextCase{-5'000, ",", "-0,001"},
                      // trailing zeros go, whole seconds keep one decimal
                      ShiftTextCase{23'000'000, ",", "2,3"}, ShiftTextCase{10'000'000, ",", "1,0"},
                      ShiftTextCase{-123'450'000, ".", "-12.345"},
                      ShiftTextCase{36'000'000'000, ",", "3600,0"},
                      ShiftTextCase{INT64_MIN, ".", "-922337203685.478"},
                      ShiftTextCase{1'000'000, "\xd9\xab",
                                    "0\xd9\xab"
                                    "1"}));

}  // namespace
}  // namespace quarnel
