#include "platform/windows/Utf16.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quarnel {
namespace {

// Texts far longer than any the program passes, so that they go through the
// conversion in several pieces: whatever the prefix, some piece boundary
// falls inside a character, which must come through whole.
TEST(Utf16Test, LongTextsKeepEveryCharacterAcrossThePieces) {
    struct Case {
        const char* name;
        std::string prefix;
        std::string character;
        std::size_t utf16Units;  // of one character
    };
    const std::vector<Case> cases = {
        {"two-byte character, even start", "", "\xC3\xA9", 1},
        {"two-byte character, odd start", "a", "\xC3\xA9", 1},
        {"three-byte character", "ab", "\xE2\x82\xAC", 1},
        {"surrogate pair, even start", "", "\xF0\x9F\x98\x80", 2},
        {"surrogate pair, odd start", "a", "\xF0\x9F\x98\x80", 2},
        {"surrogate pair, start 3", "abc", "\xF0\x9F\x98\x80", 2},
    };
    constexpr std::size_t kCharacters = 1'500'000;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string text = c.prefix;
        for (std::size_t i = 0; i < kCharacters; ++i) {
            text += c.character;
        }
        const std::wstring wide = toUtf16(text);
        EXPECT_EQ(wide.size(), c.prefix.size() + kCharacters * c.utf16Units);
        EXPECT_EQ(wide.find(L'\xFFFD'), std::wstring::npos);
        EXPECT_TRUE(toUtf8(wide) == text);
    }
}

TEST(Utf16Test, EmptyAndShortTextsConvertBothWays) {
    EXPECT_EQ(toUtf16(""), L"");
    EXPECT_EQ(toUtf8(L""), "");
    EXPECT_EQ(toUtf16("Gr\xC3\xBC\xC3\x9F"
                      "e"),
              L"Gr\u00FC\u00DFe");
    EXPECT_EQ(toUtf8(L"Gr\u00FC\u00DFe"),
              "Gr\xC3\xBC\xC3\x9F"
              "e");
}

}  // namespace
}  // namespace quarnel
