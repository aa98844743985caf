#include "common/inifile.h"
#include "common/iniparser.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>


using namespace dm;

namespace {

std::vector<std::string> Names(std::initializer_list<const char*> names)
{
    return {names.begin(), names.end()};
}

} // namespace

TEST(IniReadTest, NamesCompareWithoutCaseAndTheFirstOfANameWins)
{
    IniFile ini("[Ports]\r\nCOM1=a\r\ncom1=b\r\n[PORTS]\r\nCOM2=c\r\n[Other]\r\nx=1\r\n");
    EXPECT_EQ(ini.Value("ports", "Com1"), "a");
    // The second section of the same name is never read.
    EXPECT_FALSE(ini.Value("Ports", "COM2"));
    EXPECT_EQ(ini.SectionNames(), Names({"Ports", "Other"}));
    EXPECT_EQ(ini.KeyNames("PORTS"), Names({"COM1"}));
}

TEST(IniReadTest, TrimsBlanksAndOneOuterPairOfQuotes)
{
    IniFile ini("[ s ]\n \tk 1 \t=  \"  two blanks  \"  \nq='single'\nmixed=\"a'\nnested=\"\"x\"\"\n"
                "lonely=\"\n");
    EXPECT_EQ(ini.Value("s", "k 1"), "  two blanks  ");
    EXPECT_EQ(ini.Value("s", "q"), "single");
    EXPECT_EQ(ini.Value("s", "mixed"), "\"a'");
    EXPECT_EQ(ini.Value("s", "nested"), "\"x\"");
    EXPECT_EQ(ini.Value("s", "lonely"), "\"");
}

TEST(IniReadTest, CommentsLinesWithoutEqualsAndPreambleAreNotKeys)
{
    IniFile ini("k=before\n[s]\n;c=comment\n  ; also=comment\nnoequals\n=nokey\na=b=c\n[t] trailing\nx=1\n");
    EXPECT_EQ(ini.KeyNames("s"), Names({"a"}));
    EXPECT_EQ(ini.Value("s", "a"), "b=c");
    EXPECT_EQ(ini.SectionNames(), Names({"s", "t"}));
    EXPECT_EQ(ini.Value("t", "x"), "1");
}

TEST(IniReadTest, AcceptsEveryLineEndAndAByteOrderMark)
{
    IniFile ini("\xEF\xBB\xBF[a]\r\nx=1\ry=2\nz=3");
    EXPECT_EQ(ini.SectionNames(), Names({"a"}));
    EXPECT_EQ(ini.KeyNames("a"), Names({"x", "y", "z"}));
    EXPECT_EQ(ini.Value("a", "z"), "3");
}

TEST(IniReadTest, SectionNameEndsAtFirstBracket)
{
    IniFile ini("[srv\\port]x]\nk=v\n[unclosed\nk=w\n");
    EXPECT_EQ(ini.SectionNames(), Names({"srv\\port", "unclosed"}));
    EXPECT_EQ(ini.Value("unclosed", "k"), "w");
}

TEST(IniReadTest, BinaryAndNulBytesAreOrdinaryText)
{
    std::string text("[a\0b]\nk\0=v\xff\0\n", 14);
    IniFile ini(text);
    EXPECT_EQ(ini.SectionNames().at(0), std::string("a\0b", 3));
    EXPECT_EQ(ini.Value(std::string_view("a\0b", 3), std::string_view("k\0", 2)),
              std::string_view("v\xff\0", 3));
    EXPECT_EQ(ini.Text(), text);
}

TEST(IniEditTest, LoadingAndWritingOneValueKeepsEveryOtherByte)
{
    const std::string original = "; header comment\r\n"
                                 "[Ports]\r\n"
                                 "COM1 = 5\r\n"
                                 "; keep me\r\n"
                                 "COM2=7\n"
                                 "\r\n"
                                 "[Users]\r\n"
                                 "DOM\\joe=1";
    IniFile ini(original);
    EXPECT_EQ(ini.Text(), original);
    ASSERT_TRUE(ini.Write("ports", "com1", "12"));
    std::string expected = original;
    expected.replace(expected.find("COM1 = 5"), 8, "COM1 = 12");
    EXPECT_EQ(ini.Text(), expected);
}

TEST(IniEditTest, WritingTheSameValueChangesNothing)
{
    IniFile ini("[a]\r\nk=v\r\n");
    ASSERT_TRUE(ini.Write("A", "K", "v"));
    EXPECT_FALSE(ini.Modified());
}

TEST(IniEditTest, NewKeysGoAfterTheLastKeyAndNewSectionsAtTheEnd)
{
    IniFile ini("[a]\nk=1\n; trailing comment\n\n[b]\nx=2");
    ASSERT_TRUE(ini.Write("a", "New", "3"));
    ASSERT_TRUE(ini.Write("c", "y", "4"));
    ASSERT_TRUE(ini.Write("a", "later", "5"));
    // The added lines end as the file's lines do.
    EXPECT_EQ(ini.Text(), "[a]\nk=1\nNew=3\nlater=5\n; trailing comment\n\n[b]\nx=2\n"
                          "[c]\ny=4\n");
    EXPECT_EQ(ini.Value("a", "later"), "5");
    EXPECT_EQ(ini.Value("a", "k"), "1");
    // The index follows the lines that moved.
    ASSERT_TRUE(ini.Write("a", "k", "9"));
    EXPECT_EQ(ini.Value("a", "k"), "9");
    EXPECT_EQ(ini.KeyNames("a"), Names({"k", "New", "later"}));
}

TEST(IniEditTest, WritingIntoAnEmptyFileUsesCrLf)
{
    IniFile ini;
    ASSERT_TRUE(ini.Write("s", "k", "v"));
    EXPECT_EQ(ini.Text(), "[s]\r\nk=v\r\n");
}

TEST(IniEditTest, RefusesNamesThatWouldBreakTheStructure)
{
    IniFile ini("[a]\r\nk=v\r\n");
    const std::string before = ini.Text();
    EXPECT_FALSE(ini.Write("a]\r\n[evil", "k", "v"));
    EXPECT_FALSE(ini.Write("a", "k=1", "v"));
    EXPECT_FALSE(ini.Write("a", "k\nx", "v"));
    EXPECT_FALSE(ini.Write("a", "[x]", "v"));
    EXPECT_FALSE(ini.Write("a", ";x", "v"));
    EXPECT_FALSE(ini.Write("a", "  ", "v"));
    EXPECT_FALSE(ini.DeleteSection("a]"));
    EXPECT_EQ(ini.Text(), before);
    EXPECT_FALSE(ini.Modified());
}

TEST(IniEditTest, LineBreaksInAValueCannotInjectKeysOrSections)
{
    IniFile ini;
    ASSERT_TRUE(ini.Write("s", "k", "one\r\n[t]\r\ninjected=1"));
    IniFile reread(ini.Text());
    EXPECT_EQ(reread.SectionNames(), Names({"s"}));
    EXPECT_EQ(reread.KeyNames("s"), Names({"k"}));
    EXPECT_EQ(reread.Value("s", "k"), "one  [t]  injected=1");
}

TEST(IniEditTest, DeleteKeyRemovesEveryLineOfTheKeyAndKeepsTheRest)
{
    IniFile ini("[a]\r\nk=1\r\n;c\r\nK=2\r\nz=3\r\n[b]\r\nk=4\r\n");
    ASSERT_TRUE(ini.DeleteKey("A", "k"));
    EXPECT_EQ(ini.Text(), "[a]\r\n;c\r\nz=3\r\n[b]\r\nk=4\r\n");
    EXPECT_FALSE(ini.Value("a", "k"));
    ASSERT_TRUE(ini.Write("a", "n", "5"));
    EXPECT_EQ(ini.Text(), "[a]\r\n;c\r\nz=3\r\nn=5\r\n[b]\r\nk=4\r\n");
}

TEST(IniEditTest, DeleteSectionRemovesAllSectionsOfTheNameWithTheirLines)
{
    IniFile ini(";top\r\n[a]\r\nk=1\r\n;in a\r\n[b]\r\nx=2\r\n[A]\r\nk=3\r\n");
    ASSERT_TRUE(ini.DeleteSection("a"));
    EXPECT_EQ(ini.Text(), ";top\r\n[b]\r\nx=2\r\n");
    EXPECT_EQ(ini.SectionNames(), Names({"b"}));
    EXPECT_FALSE(ini.Value("a", "k"));
    EXPECT_EQ(ini.Value("b", "x"), "2");
}

TEST(IniEditTest, QuoteForReadBackMakesAnyValueReadBackAsGiven)
{
    for (std::string value : {"plain", "  blanks  ", "\"quoted\"", "'x'", "\"", "", "\t"}) {
        IniFile ini;
        ASSERT_TRUE(ini.Write("s", "k", IniFile::QuoteForReadBack(value)));
        EXPECT_EQ(IniFile(ini.Text()).Value("s", "k"), value) << value;
    }
}

namespace {

std::string Utf16Le(const std::string& ascii)
{
    std::string out;
    for (char c : ascii)
        out += std::string{c, '\0'};
    return out;
}

} // namespace

TEST(IniEncodingTest, AUtf16FileIsReadAsItsTextAndWrittenBackInUtf16)
{
    // "[Users]\r\nDOM\joé=5\r\n" in UTF-16, little endian, with its mark.
    const std::string file = "\xFF\xFE" + Utf16Le("[Users]\r\nDOM\\jo") + std::string("\xe9\0", 2) +
                             Utf16Le("=5\r\n");
    IniFile ini(file);
    EXPECT_EQ(ini.TextEncoding(), IniFile::Encoding::Utf16Le);
    EXPECT_EQ(ini.Value("users", "DOM\\jo\u00e9"), "5");
    EXPECT_EQ(ini.Text(), file);
    ASSERT_TRUE(ini.Write("Users", "DOM\\ann", "7"));
    ASSERT_TRUE(ini.Write("Groups", "+DOM\\staff", "1"));
    // Every added line in UTF-16 too, none in single bytes.
    EXPECT_EQ(ini.Text(), file + Utf16Le("DOM\\ann=7\r\n[Groups]\r\n+DOM\\staff=1\r\n"));
    EXPECT_EQ(IniFile(ini.Text()).Value("Groups", "+DOM\\staff"), "1");

    // Big endian keeps its byte order.
    std::string big = "\xFE\xFF" + Utf16Le("[S]\r\nk=v\r\n");
    for (std::size_t i = 2; i + 1 < big.size(); i += 2)
        std::swap(big[i], big[i + 1]);
    IniFile bigFile(big);
    EXPECT_EQ(bigFile.Value("S", "k"), "v");
    ASSERT_TRUE(bigFile.Write("S", "k", "w"));
    EXPECT_EQ(IniFile(bigFile.Text()).Value("S", "k"), "w");
    EXPECT_EQ(bigFile.Text().substr(0, 6), std::string("\xFE\xFF\0[\0S", 6));
}

TEST(IniEncodingTest, AUtf16FileThatBeginsWithASecondMarkKeepsIt)
{
    // Two byte-order marks: the second is text, U+FEFF, written back as it was.
    const std::string file = "\xFF\xFE\xFF\xFE" + Utf16Le("[S]\r\nk=v\r\n");
    IniFile ini(file);
    EXPECT_EQ(ini.TextEncoding(), IniFile::Encoding::Utf16Le);
    EXPECT_EQ(ini.Value("S", "k"), "v");
    EXPECT_EQ(ini.Text(), file);
}

TEST(IniEncodingTest, BytesThatAreNoUtf16AreKeptAsTheyAre)
{
    // An odd length and a lone surrogate: not text that would be written back the same.
    for (const std::string& file : {std::string("\xFF\xFE[\0S\0]", 7), std::string("\xFF\xFE\x00\xD8", 4)}) {
        IniFile ini(file);
        EXPECT_EQ(ini.TextEncoding(), IniFile::Encoding::Bytes);
        EXPECT_EQ(ini.Text(), file);
    }
}

TEST(IniLineEndTest, AWriteKeepsTheFilesLineEnds)
{
    for (const std::string eol : {"\n", "\r", "\r\n"}) {
        IniFile ini("[A]" + eol + "x=1" + eol + "[B]" + eol + "y=2");
        ASSERT_TRUE(ini.Write("A", "z", "3"));
        ASSERT_TRUE(ini.Write("B", "w", "4"));
        ASSERT_TRUE(ini.Write("C", "v", "5"));
        EXPECT_EQ(ini.Text(), "[A]" + eol + "x=1" + eol + "z=3" + eol + "[B]" + eol + "y=2" + eol +
                                  "w=4" + eol + "[C]" + eol + "v=5" + eol);
    }
    // Nothing to go by: CRLF.
    IniFile single("[A]");
    ASSERT_TRUE(single.Write("A", "k", "v"));
    EXPECT_EQ(single.Text(), "[A]\r\nk=v\r\n");
    IniFile empty;
    ASSERT_TRUE(empty.Write("A", "k", "v"));
    EXPECT_EQ(empty.Text(), "[A]\r\nk=v\r\n");
}

namespace {

// Every line as the parser hands it over: text and end.
class LineRecorder : public IniHandler {
public:
    bool OnSection(std::string_view, const IniLine& line) override { return Keep(line); }
    bool OnKey(std::string_view, std::string_view, const IniLine& line) override { return Keep(line); }
    bool OnOther(const IniLine& line) override { return Keep(line); }
    std::vector<std::pair<std::string, LineEnd>> lines;

private:
    bool Keep(const IniLine& line)
    {
        EXPECT_EQ(line.number, lines.size());
        lines.emplace_back(std::string(line.text), line.end);
        return true;
    }
};

} // namespace

TEST(IniParseTest, LinesEndAtTheFirstCrOrLfWhereverItFalls)
{
    // Lines of every length from 0 to 40, each end kind in turn, so that
    // ends fall on every place of the parser's sixteen-byte steps; a lone CR
    // ends a line as LF does, and the last line may have no end.
    const LineEnd ends[] = {LineEnd::CrLf, LineEnd::Lf, LineEnd::Cr};
    std::string text;
    std::vector<std::pair<std::string, LineEnd>> expected;
    for (std::size_t length = 0; length <= 40; ++length) {
        for (const LineEnd end : ends) {
            std::string line = length == 0 ? "" : "[s]" + std::string(length, 'k');
            line = line.substr(0, length);
            text += line;
            text += LineEndText(end);
            expected.emplace_back(line, end);
        }
    }
    // An LF right after a CR's line is an empty line's end, not the CR's.
    text += "a\r\rb\n\nc";
    for (const auto& [line, end] : std::vector<std::pair<std::string, LineEnd>>{
             {"a", LineEnd::Cr}, {"", LineEnd::Cr}, {"b", LineEnd::Lf}, {"", LineEnd::Lf}, {"c", LineEnd::None}})
        expected.emplace_back(line, end);
    LineRecorder recorder;
    ParseIni(text, recorder);
    EXPECT_EQ(recorder.lines, expected);
}

TEST(IniLeanModelTest, ACopyIsEditedApartFromTheFileItCameFrom)
{
    const std::string text = "[a]\r\nk=1\r\n[b]\r\nx=2\r\n";
    const IniFile original(text);
    IniFile copy = original;
    ASSERT_TRUE(copy.Write("a", "k", "9"));
    ASSERT_TRUE(copy.DeleteSection("b"));
    ASSERT_TRUE(copy.Write("B", "y", "3"));
    EXPECT_EQ(original.Text(), text);
    EXPECT_EQ(original.Value("b", "x"), "2");
    EXPECT_EQ(copy.Text(), "[a]\r\nk=9\r\n[B]\r\ny=3\r\n");
    // The section written after the delete is the one read, not the removed one.
    EXPECT_EQ(copy.Value("b", "y"), "3");
    EXPECT_FALSE(copy.Value("b", "x"));
    EXPECT_EQ(copy.SectionNames(), Names({"a", "B"}));
}

TEST(IniLeanModelTest, VisitingEverySectionGivesWhatSectionNamesAndEntriesGive)
{
    IniFile ini("top=1\n[a]\nk=1\nK=2\n[b]\n;c\nx=2\n[A]\nk=3\n[c]\n");
    ASSERT_TRUE(ini.Write("b", "y", "4"));
    ASSERT_TRUE(ini.Write("d", "z", "5"));
    std::vector<std::string> names;
    ini.ForEachSection([&](std::string_view name, const std::vector<IniFile::EntryView>& entries) {
        names.emplace_back(name);
        std::vector<std::pair<std::string, std::string>> copied(entries.begin(), entries.end());
        EXPECT_EQ(copied, ini.Entries(name)) << name;
    });
    EXPECT_EQ(names, ini.SectionNames());
    EXPECT_EQ(names, Names({"a", "b", "c", "d"}));
    names.clear();
    ini.ForEachSection([&](std::string_view name, const auto&) { names.emplace_back(name); },
                       [](std::string_view name) { return name != "b"; });
    EXPECT_EQ(names, Names({"a", "c", "d"}));
}

TEST(IniLeanModelTest, FindsASectionsBytesByItsHeaderLineAlone)
{
    const std::string text = "\xEF\xBB\xBF[x]\rv=[a]\r  [ A ]\r\nk=1\r\n[a]\nk=2\n[b]";
    const auto bytes = IniFile::FindSectionBytes(text, "a");
    ASSERT_TRUE(bytes);
    EXPECT_EQ(text.substr(bytes->first, bytes->second - bytes->first), "  [ A ]\r\nk=1\r\n");
    const auto last = IniFile::FindSectionBytes(text, "B");
    ASSERT_TRUE(last);
    EXPECT_EQ(text.substr(last->first), "[b]");
    EXPECT_EQ(last->second, text.size());
    EXPECT_EQ(IniFile::FindSectionBytes("[x]\nk=[y]\n", "y"), std::nullopt);
    EXPECT_EQ(IniFile::FirstLineEnd("\xEF\xBB\xBF[x]\r\n"), LineEnd::CrLf);
    EXPECT_EQ(IniFile::FirstLineEnd("[x]\rk\n"), LineEnd::Cr);
    EXPECT_EQ(IniFile::FirstLineEnd("[x]"), LineEnd::None);
}
