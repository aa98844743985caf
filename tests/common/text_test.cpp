#include "common/text.h"

#include <gtest/gtest.h>


namespace dm {
namespace {

using Views = std::vector<std::string_view>;
using Strings = std::vector<std::string>;

TEST(Text, TrimsBlanksAndTabsOnly)
{
    struct Trimmed {
        std::string_view text, both, leading, trailing;
    };
    const Trimmed cases[] = {
        {" \t a b \t ", "a b", "a b \t ", " \t a b"},
        {" \t ", "", "", ""},
        {"", "", "", ""},
        // Line ends are not blanks: a value keeps what the file gave it.
        {"\r\nx\n", "\r\nx\n", "\r\nx\n", "\r\nx\n"},
    };
    for (const Trimmed& c : cases) {
        EXPECT_EQ(TrimBlanks(c.text), c.both) << '"' << c.text << '"';
        EXPECT_EQ(TrimLeadingBlanks(c.text), c.leading) << '"' << c.text << '"';
        EXPECT_EQ(TrimTrailingBlanks(c.text), c.trailing) << '"' << c.text << '"';
    }
}

TEST(Text, FoldsAsciiLettersOnly)
{
    EXPECT_EQ(LowerAscii("MiXeD 09_[@]"), "mixed 09_[@]");
    EXPECT_EQ(UpperAscii("MiXeD 09_`{z"), "MIXED 09_`{Z");
    // Bytes above 127 stay as they are: a UTF-8 sequence is never broken and
    // a Latin-1 letter does not fold with the locale.
    EXPECT_EQ(LowerAscii("\xC3\x84rger"), "\xC3\x84rger");
    EXPECT_EQ(UpperAscii("\xE4x"), "\xE4X");
    EXPECT_FALSE(EqualNoCase("\xC4", "\xE4"));
    static_assert(LowerAscii('Q') == 'q' && UpperAscii('q') == 'Q' && LowerAscii('@') == '@');
}

TEST(Text, ComparesWithoutRegardToCase)
{
    EXPECT_TRUE(EqualNoCase("Dialmind.HW", "dialmind.hw"));
    EXPECT_FALSE(EqualNoCase("abc", "abcd"));
    EXPECT_FALSE(EqualNoCase("[", "{")); // 0x5B and 0x7B differ by 0x20 but are no letters
    EXPECT_EQ(CompareNoCase("apple", "APPLE"), 0);
    EXPECT_LT(CompareNoCase("Apple", "banana"), 0);
    EXPECT_GT(CompareNoCase("b", "A"), 0);
    EXPECT_LT(CompareNoCase("ab", "ABC"), 0);
    EXPECT_GT(CompareNoCase("\xC3\xA4", "z"), 0); // bytes above 127 sort last
    EXPECT_TRUE(LessNoCase("a", "B"));
    EXPECT_FALSE(LessNoCase("B", "a"));
    EXPECT_TRUE(StartsWithNoCase("HKEY_LOCAL_MACHINE\\x", "hkey_local"));
    EXPECT_FALSE(StartsWithNoCase("HK", "hkey"));
    EXPECT_TRUE(EndsWithNoCase("NOTEPAD.EXE", ".exe"));
    EXPECT_FALSE(EndsWithNoCase("exe", ".exe"));
}

TEST(Text, SplitsKeepingOrDroppingEmptyPieces)
{
    EXPECT_EQ(SplitText("a\t\tb\t", '\t'), (Views{"a", "", "b", ""}));
    EXPECT_EQ(SplitText("", ','), (Views{""}));
    EXPECT_EQ(SplitText("one", ','), (Views{"one"}));
    EXPECT_EQ(SplitList(" a, b ,,\tc\t, "), (Strings{"a", "b", "c"}));
    EXPECT_EQ(SplitList(""), Strings{});
    EXPECT_EQ(SplitList(" , ,"), Strings{});
    EXPECT_EQ(SplitList("DOM\\Sales;DOM\\Staff", ';'), (Strings{"DOM\\Sales", "DOM\\Staff"}));
}

TEST(Text, JoinsWhatSplitListTakesApart)
{
    EXPECT_EQ(JoinText({}, ","), "");
    EXPECT_EQ(JoinText({"a"}, ","), "a");
    EXPECT_EQ(JoinText({"a", "", "b"}, ", "), "a, , b");
    const Strings members{"Alice", "Bob", "Carol"};
    EXPECT_EQ(SplitList(JoinText(members, ",")), members);
}

} // namespace
} // namespace dm
