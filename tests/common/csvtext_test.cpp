#include "common/csvtext.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

TEST(CsvText, QuotesOnlyFieldsThatWouldBreakTheLine)
{
    EXPECT_EQ(QuotedCsvField("COM1"), "COM1");
    EXPECT_EQ(QuotedCsvField(""), "");
    EXPECT_EQ(QuotedCsvField("DOM\\joe smith"), "DOM\\joe smith");
    EXPECT_EQ(QuotedCsvField("a,b"), "\"a,b\"");
    EXPECT_EQ(QuotedCsvField("say \"hi\""), "\"say \"\"hi\"\"\"");
    EXPECT_EQ(QuotedCsvField("\""), "\"\"\"\"");
    EXPECT_EQ(QuotedCsvField("two\nlines"), "\"two\nlines\"");
    EXPECT_EQ(QuotedCsvField("cr\r"), "\"cr\r\"");
}

TEST(CsvText, PaneLinesEndEveryFieldWithAComma)
{
    EXPECT_EQ(CsvLine({"a", "", "b"}), "a, ,b,\n");
    EXPECT_EQ(CsvLine({"a"}, "\r\n", ""), "a,\r\n");
    std::string out = "x\n";
    AppendCsvLine(out, {}, "\n");
    EXPECT_EQ(out, "x\n\n");
}

TEST(CsvText, CutsBeforeAUtf8SequenceNotInsideIt)
{
    EXPECT_EQ(CutCsvField("abc", 5), "abc");
    EXPECT_EQ(CutCsvField("abc", 2), "ab");
    EXPECT_EQ(CutCsvField("a\xC3\xA4z", 2), "a"); // ä is two bytes
    EXPECT_EQ(CutCsvField("a\xC3\xA4z", 3), "a\xC3\xA4");
}

} // namespace
} // namespace dm
