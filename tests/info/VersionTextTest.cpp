#include <gtest/gtest.h>

#include "info/VersionText.h"

namespace quarnel {
namespace {

TEST(VersionTextTest, JoinsTheFourNumbersWithoutLeadingZeros) {
    const struct {
        std::array<std::uint16_t, 4> numbers;
        std::string text;
    } cases[] = {
        {{2, 1, 0, 15}, "2.1.0.15"},
        {{0, 0, 0, 0}, "0.0.0.0"},
        {{65535, 65535, 65535, 65535}, "65535.65535.65535.65535"},
        {{10, 200, 3000, 40000}, "10.200.3000.40000"},
    };
    for (const auto& [numbers, text] : cases) {
        EXPECT_EQ(formatVersionText(numbers), text);
    }
}

}  // namespace
}  // namespace quarnel
