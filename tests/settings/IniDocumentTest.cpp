#include "settings/IniDocument.h"

#include <gtest/gtest.h>

#include <climits>

namespace quarnel {
namespace {

struct IntegerCase {
    std::string_view text;
    std::optional<std::int32_t> value;
};

TEST(IniIntegerTest, FollowsTheProfileIntegerRules) {
    const IntegerCase cases[] = {
        {"2", 2},
        {"0012", 12},
        {"+5", 5},
        {"-0", 0},
        {" 7", 7},
        {"\t -7", -7},
        {"0x1", 1},
        {"$1F", 31},
        {"x7fffffff", INT32_MAX},
        {"X10", 16},
        {"0X1f", 31},
        {"-$10", -16},
        {"2147483647", INT32_MAX},
        {"-2147483648", INT32_MIN},
        {"-0x80000000", INT32_MIN},
        // unusable
        {"", std::nullopt},
        {"abc", std::nullopt},
        {"7 ", std::nullopt},
        {"7abc", std::nullopt},
        {"2147483648", std::nullopt},
        {"-2147483649", std::nullopt},
        {"$80000000", std::nullopt},
        {"99999999999999999999", std::nullopt},
        {"+", std::nullopt},
        {"-", std::nullopt},
        {"$", std::nullopt},
        {"0x", std::nullopt},
        {"+-1", std::nullopt},
        {"- 7", std::nullopt},
        {"$-1", std::nullopt},
        {"1.5", std::nullopt},
        {"1e3", std::nullopt},
        {"0x1G", std::nullopt},
    };
    for (const IntegerCase& c : cases) {
        EXPECT_EQ(parseIniInteger(c.text), c.value) << '"' << c.text << '"';
    }
}

TEST(IniDocumentTest, IntegerAndBooleanKeysFallBackSilentlyOnUnusableValues) {
    const IniDocument document = IniDocument::parse(
        "[Setup]\nabc=abc\ntwo=2\nhex=0x1\nzero=0\nempty=\nblankAfter=7 \nhuge=2147483648\n");
    EXPECT_EQ(document.readInteger("Setup", "two", -1), 2);
    EXPECT_EQ(document.readInteger("Setup", "abc", -1), -1);
    EXPECT_EQ(document.readInteger("Setup", "empty", -1), -1);
    EXPECT_EQ(document.readInteger("Setup", "blankAfter", -1), -1);
    EXPECT_EQ(document.readInteger("Setup", "huge", -1), -1);
    EXPECT_EQ(document.readInteger("Setup", "missing", -1), -1);

    EXPECT_FALSE(document.readBool("Setup", "abc", false));
    EXPECT_TRUE(document.readBool("Setup", "abc", true));
    EXPECT_TRUE(document.readBool("Setup", "two", false));
    EXPECT_TRUE(document.readBool("Setup", "hex", false));
    EXPECT_FALSE(document.readBool("Setup", "zero", true));
    EXPECT_TRUE(document.readBool("Setup", "empty", true));
}

TEST(IniDocumentTest, AMissingKeyIsNothingAndAPresentEmptyKeyIsTheEmptyText) {
    const IniDocument document = IniDocument::parse("[Setup]\nService=\n");
    EXPECT_EQ(document.read("Setup", "Service"), "");
    EXPECT_EQ(document.read("Setup", "Program"), std::nullopt);
    EXPECT_EQ(document.read("Timing", "Service"), std::nullopt);
}

TEST(IniDocumentTest, SectionsAndKeysMatchWithoutRegardToCase) {
    const IniDocument document = IniDocument::parse("[PROGRAM]\nactivetab=2\n[clips]\nCLIP0=x\n");
    EXPECT_EQ(document.readInteger("Program", "ActiveTAB", 0), 2);
    EXPECT_EQ(document.read("Clips", "Clip0"), "x");

    IniDocument written;
    written.write("Timing", "Refresh", "1000");
    written.write("TIMING", "REFRESH", "250");
    EXPECT_EQ(written.serialise("\n"), "[Timing]\nRefresh=250\n");
}

TEST(IniDocumentTest, AValueIsEverythingAfterTheFirstEqualsSign) {
    const std::string longValue(3000, 'x');
    const IniDocument document = IniDocument::parse(
        "[Setup]\n"
        "Parameter=-log=C:\\a b.txt =x\n"
        "Service=  two blanks each side  \n"
        "Program=\"C:\\Program Files\\tool.exe\"\n"
        "Clip0=" +
        longValue +
        "\n"
        "Clip1=Grüße, Привет, 日本 🙂\n"
        "  Verbose  =1\n");
    EXPECT_EQ(document.read("Setup", "Parameter"), "-log=C:\\a b.txt =x");
    EXPECT_EQ(document.read("Setup", "Service"), "  two blanks each side  ");
    EXPECT_EQ(document.read("Setup", "Program"), "\"C:\\Program Files\\tool.exe\"");
    EXPECT_EQ(document.read("Setup", "Clip0"), longValue);
    EXPECT_EQ(document.read("Setup", "Clip1"), "Grüße, Привет, 日本 🙂");
    EXPECT_EQ(document.read("Setup", "Verbose"), "1")
        << "blanks around a key name are not part of it";
}

TEST(IniDocumentTest, ReadsCrLfAndLfLinesAlike) {
    for (const std::string_view lineEnd : {"\n", "\r\n"}) {
        const std::string text = "[Timing]" + std::string(lineEnd) + "Refresh=250" +
                                 std::string(lineEnd) + "ResetAlignToZero=1";
        const IniDocument document = IniDocument::parse(text);
        EXPECT_EQ(document.read("Timing", "Refresh"), "250");
        EXPECT_EQ(document.read("Timing", "ResetAlignToZero"), "1") << "last line without an end";
    }
}

TEST(IniDocumentTest, SkipsStrayLinesAndKeepsTheFirstOfARepeatedKey) {
    const IniDocument document = IniDocument::parse(
        "Refresh=1\n"
        "; a note\n"
        "[Timing\n"
        "[ Timing ]\n"
        "no equals sign\n"
        "Refresh=2\n"
        "Refresh=3\n"
        "[Screen]\n"
        "Left=4\n"
        "[timing]\n"
        "ResetAlignToZero=1\n");
    EXPECT_EQ(document.read("Timing", "Refresh"), "2");
    EXPECT_EQ(document.read("Screen", "Left"), "4");
    EXPECT_EQ(document.read("Timing", "ResetAlignToZero"), "1");
    EXPECT_EQ(document.read("Timing", "no equals sign"), std::nullopt);
}

TEST(IniDocumentTest, WritesSectionsAndKeysInTheOrderGiven) {
    IniDocument document;
    document.writeInteger("Program", "ActiveTAB", -3);
    document.writeBool("Program", "Active", true);
    document.write("Timing", "Refresh", "");
    document.writeInteger("Screen", "Left", INT32_MIN);
    document.writeBool("Timing", "ResetAlignToZero", false);
    document.write("Clips", "Clip0", " a=b \"c\" ");

    EXPECT_EQ(document.serialise("\n"),
              "[Program]\nActiveTAB=-3\nActive=1\n"
              "[Timing]\nRefresh=\nResetAlignToZero=0\n"
              "[Screen]\nLeft=-2147483648\n"
              "[Clips]\nClip0= a=b \"c\" \n");
    EXPECT_EQ(document.serialise("\r\n"),
              "[Program]\r\nActiveTAB=-3\r\nActive=1\r\n"
              "[Timing]\r\nRefresh=\r\nResetAlignToZero=0\r\n"
              "[Screen]\r\nLeft=-2147483648\r\n"
              "[Clips]\r\nClip0= a=b \"c\" \r\n");
}

TEST(IniDocumentTest, WhatIsWrittenReadsBackTheSame) {
    IniDocument written;
    written.write("Setup", "Parameter", "  \"--x=1\"  ");
    written.writeInteger("Screen", "Top", -120);
    written.writeBool("Setup", "Verbose", true);

    const IniDocument read = IniDocument::parse(written.serialise("\r\n"));
    EXPECT_EQ(read.read("Setup", "Parameter"), "  \"--x=1\"  ");
    EXPECT_EQ(read.readInteger("Screen", "Top", 0), -120);
    EXPECT_TRUE(read.readBool("Setup", "Verbose", false));
}

// A pasted line break must not let one text add keys or sections to the file.
TEST(IniDocumentTest, ALineBreakInAValueIsWrittenAsABlank) {
    IniDocument written;
    written.write("Setup", "Service", "x\n[Timing]\nRefresh=7\r");
    written.write("Timing", "Refresh", "1000");

    const IniDocument read = IniDocument::parse(written.serialise("\n"));
    EXPECT_EQ(read.read("Setup", "Service"), "x [Timing] Refresh=7 ");
    EXPECT_EQ(read.read("Timing", "Refresh"), "1000");
}

}  // namespace
}  // namespace quarnel
