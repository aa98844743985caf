// Text that other programs wrote: code page bytes and UTF-16.

#include "common/ansitext.h"

#include <gtest/gtest.h>

using namespace dm;

TEST(AnsiText, CodePageBytesBecomeTheirLettersAndUtf8IsKept)
{
    EXPECT_EQ(AnsiToUtf8("Jos\xe9"), "Jos\u00e9");
    EXPECT_EQ(AnsiToUtf8("\x80\x9f\x81"), "\u20ac\u0178\u0081");
    EXPECT_EQ(AnsiToUtf8("Jos\u00e9 \u20ac"), "Jos\u00e9 \u20ac");
    // A lead byte without its continuation, an overlong form, a surrogate.
    EXPECT_EQ(AnsiToUtf8("\xc3 x"), "\u00c3 x");
    EXPECT_EQ(AnsiToUtf8("\xc0\xaf"), "\u00c0\u00af");
    EXPECT_EQ(AnsiToUtf8("\xed\xa0\x80"), "\u00ed\u00a0\u20ac");
    EXPECT_TRUE(IsUtf8("Jos\u00e9 \U0001F600"));
    EXPECT_FALSE(IsUtf8("Jos\xe9"));
    EXPECT_EQ(AnsiToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(AnsiText, Utf16RoundTripWithZerosAndSurrogatePairs)
{
    const std::string text("a\0\u00e9\u20ac\U0001F600", 11);
    const std::string wide = Utf8ToUtf16Le(text);
    EXPECT_EQ(wide, std::string("a\0\0\0\xe9\0\xac\x20\x3d\xd8\x00\xde", 12));
    EXPECT_EQ(Utf16LeToUtf8(wide), text);
    EXPECT_EQ(Utf8ToUtf16Le("\xe9"), std::string("\xe9\0", 2));
    // A lone surrogate and an odd last byte.
    EXPECT_EQ(Utf16LeToUtf8(std::string("\x00\xd8" "A\0" "B", 5)), "\ufffdA");
}

#include "common/csvtext.h"

TEST(AnsiText, CsvFieldsShowCodePageBytesAsLetters)
{
    EXPECT_EQ(CsvLine({"DOM\\Jos\xe9", "", "Z\u00fcrich"}), "DOM\\Jos\u00e9, ,Z\u00fcrich,\n");
}
