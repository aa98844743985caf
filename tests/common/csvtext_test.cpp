#include "common/csvtext.h"

#include <gtest/gtest.h>

#include <utility>

namespace dm {
namespace {

TEST(CsvText, QuotesOnlyFieldsThatWouldBreakTheLine)
{
    const std::pair<std::string_view, std::string_view> fields[] = {
        {"COM1", "COM1"},
        {"", ""},
        {"DOM\\joe smith", "DOM\\joe smith"},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"\"", "\"\"\"\""},
        {"two\nlines", "\"two\nlines\""},
        {"cr\r", "\"cr\r\""},
    };
    for (const auto& [field, written] : fields)
        EXPECT_EQ(QuotedCsvField(field), written) << field;
}

TEST(CsvText, CodePageBytesBecomeTheirLettersInBothForms)
{
    // A lone 0xE9 is "é" and 0x80 the euro sign; valid UTF-8 stays as it is.
    EXPECT_EQ(QuotedCsvField("DOM\\Jos\xe9"), "DOM\\Jos\u00e9");
    EXPECT_EQ(QuotedCsvField("Jos\xe9, \"\x80\""), "\"Jos\u00e9, \"\"\u20ac\"\"\"");
    EXPECT_EQ(QuotedCsvField("Zo\u00eb"), "Zo\u00eb");
    EXPECT_EQ(CsvLine({"Jos\xe9", "Zo\u00eb", ""}), "Jos\u00e9,Zo\u00eb, ,\n");
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
