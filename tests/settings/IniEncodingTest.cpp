#include "settings/IniEncoding.h"

#include <gtest/gtest.h>

#include "settings/IniDocument.h"

namespace quarnel {
namespace {

// The bytes of UTF-16 text in little-endian order.
std::string utf16Le(std::u16string_view units) {
    std::string bytes;
    for (const char16_t unit : units) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// The bytes of UTF-16 text in big-endian order.
std::string utf16Be(std::u16string_view units) {
    std::string bytes;
    for (const char16_t unit : units) {
        bytes += static_cast<char>(unit >> 8);
        bytes += static_cast<char>(unit & 0xFF);
    }
    return bytes;
}

TEST(IniEncodingTest, KeepsUtf8AndDropsItsByteOrderMark) {
    EXPECT_EQ(decodeIniText("Clip0=Grüße 🙂"), "Clip0=Grüße 🙂");
    EXPECT_EQ(decodeIniText("\xEF\xBB\xBF[Setup]"), "[Setup]");
    EXPECT_EQ(decodeIniText(""), "");
}

TEST(IniEncodingTest, ReadsUtf16LittleEndianAfterItsByteOrderMark) {
    const std::string bytes = "\xFF\xFE" + utf16Le(u"[Setup]\r\nService=Zeit\u00E4\u65E5\r\n") +
                              utf16Le(u"Clip0=\U0001F642\r\n");
    EXPECT_EQ(decodeIniText(bytes), "[Setup]\r\nService=Zeitä日\r\nClip0=🙂\r\n");

    const IniDocument document = IniDocument::parse(*decodeIniText(bytes));
    EXPECT_EQ(document.read("Setup", "Service"), "Zeitä日");
}

// U+4E00 and U+0100 put a NUL into the other byte of their unit: the byte
// order comes from the mark or from the first character, not from NULs
// elsewhere.
TEST(IniEncodingTest, ReadsUtf16InEitherByteOrderWithOrWithoutItsMark) {
    const std::u16string_view text = u"[Setup]\r\nService=\u4E00\u0100\u00E4\U0001F642\r\n";
    const std::string read = "[Setup]\r\nService=一Āä🙂\r\n";
    const std::pair<const char*, std::string> cases[] = {
        {"little-endian after its mark", "\xFF\xFE" + utf16Le(text)},
        {"big-endian after its mark", "\xFE\xFF" + utf16Be(text)},
        {"little-endian without a mark", utf16Le(text)},
        {"big-endian without a mark", utf16Be(text)},
    };
    for (const auto& [what, bytes] : cases) {
        EXPECT_EQ(decodeIniText(bytes), read) << what;
    }
    EXPECT_EQ(decodeIniText(utf16Be(u"; note\n")), "; note\n") << "a comment first";
    EXPECT_EQ(decodeIniText("\xFE\xFF" + utf16Be(u"a") + "\xD8\x3D"), "a\uFFFD")
        << "a pair cut short at the end";
}

// A NUL is in no settings text: bytes that decode to one are in an encoding
// the reader does not know, or are no text, and read as nothing.
TEST(IniEncodingTest, TextHoldingANulCannotBeRead) {
    using namespace std::string_literals;
    const std::pair<const char*, std::string> cases[] = {
        {"UTF-32LE after its mark", "\xFF\xFE\0\0[\0\0\0S\0\0\0]\0\0\0"s},
        {"UTF-32BE after its mark", "\0\0\xFE\xFF\0\0\0[\0\0\0S\0\0\0]"s},
        {"UTF-32LE without a mark", "[\0\0\0S\0\0\0]\0\0\0"s},
        {"UTF-16 holding a NUL", "\xFE\xFF" + utf16Be(u"[S]\n") + "\0\0"s},
        {"UTF-8 holding a NUL", "[Clips]\nClip0=a\0b\n"s},
        {"8-bit text holding a NUL", "Clip0=f\xFCr\0"s},
        {"an odd number of bytes", "[\0S\0]"s},
        {"a NUL alone", "\0"s},
    };
    for (const auto& [what, bytes] : cases) {
        EXPECT_EQ(decodeIniText(bytes), std::nullopt) << what;
    }
}

TEST(IniEncodingTest, ReplacesBrokenUtf16WithTheReplacementCharacter) {
    const std::string loneHigh = utf16Le(u"a") + "\x3D\xD8" + utf16Le(u"b");
    const std::string loneLow("\x00\xDC", 2);
    EXPECT_EQ(decodeIniText("\xFF\xFE" + loneHigh), "a\uFFFDb");
    EXPECT_EQ(decodeIniText("\xFF\xFE" + loneLow + "x"), "\uFFFD\uFFFD") << "and an odd last byte";
}

TEST(IniEncodingTest, ReadsBytesThatAreNotUtf8AsWindows1252) {
    EXPECT_EQ(decodeIniText("Service=Zeitdienst f\xFCr Stra\xDF"
                            "e \x80\x85\x9F"),
              "Service=Zeitdienst für Straße €…Ÿ");
    EXPECT_EQ(decodeIniText("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
    // UTF-8 look-alikes that UTF-8 forbids: an overlong "/" and a surrogate.
    EXPECT_EQ(decodeIniText("\xC0\xAF"), "À¯");
    EXPECT_EQ(decodeIniText("\xED\xA0\x80"), "í\u00A0€");
    EXPECT_EQ(decodeIniText("ab\xC3"), "abÃ") << "a sequence cut short at the end";
}

// An editor may put the UTF-8 mark before 8-bit text; the mark does not make
// the bytes after it UTF-8.
TEST(IniEncodingTest, BytesAfterAUtf8MarkThatAreNotUtf8AreReadAsWindows1252) {
    const std::pair<std::string, std::string> cases[] = {
        {"\xEF\xBB\xBF"
         "Service=f\xFCr",
         "Service=für"},
        {"\xEF\xBB\xBF"
         "Clip0=\x80 \xC3\xBC",
         "Clip0=€ Ã¼"},
        {"\xEF\xBB\xBF"
         "Clip0=\xC3\xBC",
         "Clip0=ü"},
        {"\xEF\xBB\xBF", ""},
    };
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(decodeIniText(bytes), text) << bytes;
    }
}

}  // namespace
}  // namespace quarnel
