#include <gmock/gmock.h>

#include <stdexcept>

#include "clock/IntegerText.h"

namespace quarnel {
namespace {

TEST(StrToIntTest, ConvertsWholeDecimalNumbers) {
    EXPECT_EQ(strToInt("1000"), 1000);
    EXPECT_EQ(strToInt("0"), 0);
    EXPECT_EQ(strToInt("0250"), 250);
    EXPECT_EQ(strToInt("2147483647"), 2147483647);
    EXPECT_EQ(strToInt("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(strToInt("+7"), 7);
}

TEST(StrToIntTest, RejectsWithTheRuntimeMessage) {
    for (const std::string text :
         {"", "2147483648", "99999999999999999999", "12a", " 5", "+", "-", "+-5", "1.5"}) {
        try {
            strToInt(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), "'" + text + "' ist kein gültiger Integerwert");
        }
    }
}

}  // namespace
}  // namespace quarnel
