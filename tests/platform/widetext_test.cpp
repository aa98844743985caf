// The wide strings handed to and taken from the RAS and account calls read
// stored bytes as every window does: valid UTF-8 as it is, any other byte as
// the letter of the Windows code page.

#include "platform/system/widetext.h"

#include <gtest/gtest.h>

using namespace dm;

TEST(WideText, CodePageBytesBecomeTheirLettersAndUtf8StaysAsItIs)
{
    EXPECT_EQ(ToWide("Jos\xe9"), u"Jos\u00e9");
    // 0x80 to 0x9F are the code page's letters, not Latin-1's controls.
    EXPECT_EQ(ToWide("\x80\x9f"), u"\u20ac\u0178");
    EXPECT_EQ(ToWide("Zo\xc3\xab \xf0\x9f\x98\x80"), u"Zo\u00eb \U0001F600");
    // An overlong form is no UTF-8: each byte is a letter, never a slash.
    EXPECT_EQ(ToWide("\xc0\xaf"), u"\u00c0\u00af");
    EXPECT_EQ(ToWide(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
    // Back to the program's text the letters are UTF-8.
    EXPECT_EQ(FromWide(ToWide("Jos\xe9 \x80")), "Jos\u00e9 \u20ac");
    EXPECT_EQ(FromWide(ToWide("Zo\u00eb")), "Zo\u00eb");
}
