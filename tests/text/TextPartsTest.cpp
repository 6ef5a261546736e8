#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <vector>

#include "text/PortNumber.h"
#include "text/Trimmed.h"

namespace quarnel {
namespace {

TEST(TrimmedTest, CutsOnlyTheGivenBlanksAndOnlyAtTheEnds) {
    struct Case {
        const char* name;
        std::string_view text;
        std::string_view blanks;
        std::string_view expected;
    };
    const std::vector<Case> cases = {
        {"white space at both ends", " \t pool.ntp.org\r\n", kWhiteSpace, "pool.ntp.org"},
        {"inner blanks stay", "  a b  ", kWhiteSpace, "a b"},
        {"nothing but white space", " \n\t ", kWhiteSpace, ""},
        {"empty", "", kWhiteSpace, ""},
        {"blanks only: a line end stays", " key \r", " \t", "key \r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(trimmed(c.text, c.blanks), c.expected);
    }
}

TEST(PortNumberTest, TakesOneToFiveDigitsFrom1To65535) {
    struct Case {
        std::string_view text;
        std::optional<std::uint16_t> expected;
    };
    const std::vector<Case> cases = {
        {"1", 1},      {"2237", 2237}, {"65535", 65535}, {"00123", 123}, {"0", {}},
        {"65536", {}}, {"99999", {}},  {"000123", {}},   {"", {}},       {"-1", {}},
        {"+1", {}},    {"12a", {}},    {" 123", {}},     {"1e3", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(portNumber(c.text), c.expected);
    }
}

}  // namespace
}  // namespace quarnel
