#include <gmock/gmock.h>

#include "keepers/ShellWords.h"

namespace quarnel {
namespace {

using Words = std::vector<std::string>;

struct SplitCase {
    const char* text;
    Words words;
};

class ShellWordsTest : public ::testing::TestWithParam<SplitCase> {};

// Each expectation is what `sh -c 'printf "[%s]" TEXT'` prints, where the
// shell's expansions do not apply.
TEST_P(ShellWordsTest, SplitsLikeAShellWithoutExpanding) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(splitShellWords(c.text), c.words) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Blanks, ShellWordsTest,
    ::testing::Values(SplitCase{"", {}}, SplitCase{"   \t\n ", {}}, SplitCase{"-v", {"-v"}},
                      SplitCase{"  -a\t-b\n-c  ", {"-a", "-b", "-c"}},
                      SplitCase{"--port=4 --host h", {"--port=4", "--host", "h"}}));

INSTANTIATE_TEST_SUITE_P(
    Quotes, ShellWordsTest,
    ::testing::Values(SplitCase{R"("two words" 'and three more')", {"two words", "and three more"}},
                      SplitCase{R"(a"b c"d'e f'g)", {"ab cde fg"}},
                      SplitCase{R"("" '' x)", {"", "", "x"}}, SplitCase{R"('it''s')", {"its"}},
                      SplitCase{R"("it's")", {"it's"}}, SplitCase{R"('say "hi"')", {R"(say "hi")"}},
                      SplitCase{R"('back\slash \' x)", {R"(back\slash \)", "x"}},
                      SplitCase{"\"line\none\"", {"line\none"}}));

INSTANTIATE_TEST_SUITE_P(
    Backslashes, ShellWordsTest,
    ::testing::Values(SplitCase{R"(a\ b)", {"a b"}}, SplitCase{R"(\"x\")", {R"("x")"}},
                      SplitCase{R"(\'x)", {"'x"}}, SplitCase{R"(C:\\Temp)", {R"(C:\Temp)"}},
                      SplitCase{R"(C:\Temp)", {"C:Temp"}}, SplitCase{R"(a\)", {R"(a\)"}},
                      SplitCase{"a\\\nb", {"ab"}}, SplitCase{"a \\\n b", {"a", "b"}},
                      SplitCase{R"("a\"b")", {R"(a"b)"}}, SplitCase{R"("a\\b")", {R"(a\b)"}},
                      SplitCase{R"("a\$b\`c")", {"a$b`c"}}, SplitCase{R"("a\b\n")", {R"(a\b\n)"}},
                      SplitCase{"\"a\\\nb\"", {"ab"}}));

INSTANTIATE_TEST_SUITE_P(
    NothingIsExpanded, ShellWordsTest,
    ::testing::Values(SplitCase{"$HOME ~ *.log", {"$HOME", "~", "*.log"}},
                      SplitCase{"$(touch x) `id`", {"$(touch", "x)", "`id`"}},
                      SplitCase{R"x("$(id)" "${USER}")x", {"$(id)", "${USER}"}},
                      SplitCase{"a;b | c && d > e", {"a;b", "|", "c", "&&", "d", ">", "e"}},
                      SplitCase{"#no comment", {"#no", "comment"}}));

TEST(ShellWordsOpenQuoteTest, AQuoteLeftOpenIsRefused) {
    for (const char* text : {R"(")", R"(')", R"("abc)", R"(a 'b c)", R"("a\")", R"('a' "b)"}) {
        EXPECT_EQ(splitShellWords(text), std::nullopt) << text;
    }
}

}  // namespace
}  // namespace quarnel
