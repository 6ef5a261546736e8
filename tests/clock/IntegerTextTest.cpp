#include <gmock/gmock.h>

#include "clock/IntegerText.h"

namespace quarnel {
namespace {

TEST(DecimalIntegerTest, ConvertsWholeDecimalNumbersAndNothingElse) {
    const struct {
        std::string text;
        std::optional<std::int32_t> value;
    } cases[] = {
        {"1000", 1000},
        {"0", 0},
        {"0250", 250},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"+7", 7},
        {"", std::nullopt},
        {"2147483648", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"12a", std::nullopt},
        {" 5", std::nullopt},
        {"5 ", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"+-5", std::nullopt},
        {"1.5", std::nullopt},
        {"0x10", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(decimalInteger(c.text), c.value) << "'" << c.text << "'";
    }
}

TEST(DecimalIntegerTest, TheMessageQuotesTheTextAsItStands) {
    EXPECT_EQ(notAnIntegerMessage(""), "'' ist kein gültiger Integerwert");
    EXPECT_EQ(notAnIntegerMessage("12a"), "'12a' ist kein gültiger Integerwert");
}

}  // namespace
}  // namespace quarnel
