// Registry files as the registry editor writes them: version 5.00 in UTF-16
// with a byte-order mark, REGEDIT4 in the ANSI code page, and files that are
// neither.

#include "common/ansitext.h"
#include "platform/registry/regeditformat.h"
#include "platform/registry/registry.h"
#include "tests/platform/networkfixture.h"

#include <gtest/gtest.h>

using namespace dm;

namespace {

// Every value type, as the registry editor exports it; byte lists of
// strings hold UTF-16 with its zero units.
const char* const Version5 =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Imported]\r\n"
    "@=\"Standard\"\r\n"
    "\"Text\"=\"Gr\u00fc\u00dfe \\\"x\\\" C:\\\\Temp\"\r\n"
    "\"Number\"=dword:0000002a\r\n"
    "\"Expand\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,\\\r\n"
    "  00,25,00,5c,00,e9,00,00,00\r\n"
    "\"Multi\"=hex(7):61,00,6c,00,70,00,68,00,61,00,00,00,62,00,ea,00,74,00,65,00,00,\\\r\n"
    "  00,00,00\r\n"
    "\"Binary\"=hex:00,ff,10\r\n"
    "\"None\"=hex(0):\r\n"
    "\"SzAsBytes\"=hex(1):4f,00,4b,00,ac,20,00,00\r\n"
    "\"DwordAsBytes\"=hex(4):01,02,03,04\r\n"
    "\"BigEndian\"=hex(5):00,00,00,07\r\n"
    "\"Link\"=hex(6):5c,00,52,00\r\n"
    "\"Resources\"=hex(8):01,02\r\n"
    "\"FullResource\"=hex(9):03\r\n"
    "\"Requirements\"=hex(a):04\r\n"
    "\"Qword\"=hex(b):08,07,06,05,04,03,02,01\r\n"
    "\"Gone\"=-\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Software\\Ignored]\r\n"
    "\"X\"=\"y\"\r\n"
    "\r\n";

std::string WithBom(const std::string& utf8) { return "\xFF\xFE" + Utf8ToUtf16Le(utf8); }

class RegFileImportTest : public test::NetworkTest {
protected:
    RegValue Value(const std::string& key, const std::string& name)
    {
        RegKey hive, k;
        RegValue value;
        EXPECT_EQ(RegOpenHive("", hive), 0u);
        EXPECT_EQ(hive.OpenKey(key, k), 0u) << key;
        EXPECT_EQ(k.QueryValue(name, value), 0u) << name;
        return value;
    }
    void ExpectEveryType(const std::string& key)
    {
        std::string text;
        EXPECT_TRUE(Value(key, "").AsString(text));
        EXPECT_EQ(text, "Standard");
        EXPECT_TRUE(Value(key, "Text").AsString(text));
        EXPECT_EQ(text, "Gr\u00fc\u00dfe \"x\" C:\\Temp");
        std::uint32_t number = 0;
        EXPECT_TRUE(Value(key, "Number").AsDword(number));
        EXPECT_EQ(number, 42u);
        const RegValue expand = Value(key, "Expand");
        EXPECT_EQ(expand.type, RegExpandSz);
        EXPECT_TRUE(expand.AsString(text));
        EXPECT_EQ(text, "%SystemRoot%\\\u00e9");
        std::vector<std::string> strings;
        EXPECT_TRUE(Value(key, "Multi").AsMultiString(strings));
        EXPECT_EQ(strings, (std::vector<std::string>{"alpha", "b\u00eate"}));
        EXPECT_EQ(Value(key, "Binary").data, std::string("\x00\xff\x10", 3));
        EXPECT_EQ(Value(key, "None").type, RegNone);
        EXPECT_TRUE(Value(key, "None").data.empty());
        EXPECT_TRUE(Value(key, "SzAsBytes").AsString(text));
        EXPECT_EQ(text, "OK\u20ac");
        EXPECT_TRUE(Value(key, "DwordAsBytes").AsDword(number));
        EXPECT_EQ(number, 0x04030201u);
        const std::pair<const char*, unsigned long> raw[] = {
            {"BigEndian", 5}, {"Link", 6}, {"Resources", 8}, {"FullResource", 9},
            {"Requirements", 10}, {"Qword", 11}};
        for (const auto& [name, type] : raw)
            EXPECT_EQ(Value(key, name).type, type) << name;
        EXPECT_EQ(Value(key, "BigEndian").data, std::string("\0\0\0\x07", 4));
        EXPECT_EQ(Value(key, "Link").data, std::string("\\\0R\0", 4));
        EXPECT_EQ(Value(key, "Qword").data, "\x08\x07\x06\x05\x04\x03\x02\x01");
    }
    std::size_t Import(const std::string& bytes, unsigned long expected = 0)
    {
        RegKey hive;
        EXPECT_EQ(RegOpenHive("", hive), 0u);
        std::size_t count = 99;
        EXPECT_EQ(RegImportText(hive, bytes, &count), expected);
        return count;
    }
};

} // namespace

TEST_F(RegFileImportTest, Version5InUtf16WithEveryValueType)
{
    // One key and fifteen values; the other root is left alone.
    EXPECT_EQ(Import(WithBom(Version5)), 16u);
    ExpectEveryType("Software\\Imported");
    RegKey hive, ignored;
    ASSERT_EQ(RegOpenHive("", hive), 0u);
    EXPECT_EQ(hive.OpenKey("Software\\Ignored", ignored), winerr::FileNotFound);

    // What the hive exports reads back as the same values.
    RegKey key;
    ASSERT_EQ(hive.OpenKey("Software\\Imported", key), 0u);
    std::string exported;
    ASSERT_EQ(RegExportText(key, exported), 0u);
    ASSERT_EQ(hive.DeleteTree("Software\\Imported"), 0u);
    EXPECT_EQ(Import(exported), 16u);
    ExpectEveryType("Software\\Imported");
}

TEST_F(RegFileImportTest, AVersion5ExportReadsBackWithEveryValueType)
{
    ASSERT_EQ(Import(WithBom(Version5)), 16u);
    RegKey hive, key;
    ASSERT_EQ(RegOpenHive("", hive), 0u);
    ASSERT_EQ(hive.OpenKey("Software\\Imported", key), 0u);
    std::string exported;
    ASSERT_EQ(RegExportText(key, exported), 0u);
    const std::string file = regedit::Version5File(exported);
    ASSERT_EQ(file.substr(0, 2), "\xFF\xFE");
    const std::string text = Utf16LeToUtf8(file.substr(2));
    EXPECT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n", 0), 0u) << text;
    // Strings in byte lists as UTF-16 with their zero, as the registry editor writes them.
    EXPECT_NE(text.find("\"Multi\"=hex(7):61,00,6c,00,70,00,68,00,61,00,00,00,62,00,ea,00"), std::string::npos)
        << text;
    EXPECT_NE(text.find("\"SzAsBytes\"=\"OK\u20ac\"\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("REGEDIT4"), std::string::npos);
    ASSERT_EQ(hive.DeleteTree("Software\\Imported"), 0u);
    EXPECT_EQ(Import(file), 16u);
    ExpectEveryType("Software\\Imported");
}

TEST_F(RegFileImportTest, Version5InOtherEncodingsReadsTheSame)
{
    std::string bigEndian = Utf8ToUtf16Le(Version5);
    for (std::size_t i = 0; i + 1 < bigEndian.size(); i += 2)
        std::swap(bigEndian[i], bigEndian[i + 1]);
    EXPECT_EQ(Import("\xFE\xFF" + bigEndian), 16u);
    ExpectEveryType("Software\\Imported");
    EXPECT_EQ(Import(std::string("\xEF\xBB\xBF") + Version5), 16u);
    ExpectEveryType("Software\\Imported");
}

TEST_F(RegFileImportTest, Regedit4InTheAnsiCodePage)
{
    const std::string ansi =
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Ansi]\r\n"
        "\"Text\"=\"Gr\xfc\xdf" "e \x80\"\r\n"
        "\"Expand\"=hex(2):25,57,49,4e,44,49,52,25,5c,e9,00\r\n"
        "\"Multi\"=hex(7):61,00,62,ea,74,65,00,00\r\n";
    EXPECT_EQ(Import(ansi), 4u);
    std::string text;
    EXPECT_TRUE(Value("Software\\Ansi", "Text").AsString(text));
    EXPECT_EQ(text, "Gr\u00fc\u00dfe \u20ac");
    EXPECT_TRUE(Value("Software\\Ansi", "Expand").AsString(text));
    EXPECT_EQ(text, "%WINDIR%\\\u00e9");
    std::vector<std::string> strings;
    EXPECT_TRUE(Value("Software\\Ansi", "Multi").AsMultiString(strings));
    EXPECT_EQ(strings, (std::vector<std::string>{"a", "b\u00eate"}));
}

TEST_F(RegFileImportTest, AFileThatIsNeitherIsRefusedAndChangesNothing)
{
    for (const std::string& bytes :
         {std::string("[HKEY_LOCAL_MACHINE\\Software\\X]\r\n\"A\"=\"1\"\r\n"),
          std::string("garbage\r\nREGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Software\\X]\r\n"),
          // UTF-16 without its byte-order mark.
          Utf8ToUtf16Le("REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\Software\\X]\r\n"), std::string()}) {
        EXPECT_EQ(Import(bytes, winerr::InvalidData), 0u);
        RegKey hive, key;
        ASSERT_EQ(RegOpenHive("", hive), 0u);
        EXPECT_EQ(hive.OpenKey("Software\\X", key), winerr::FileNotFound);
    }
    std::string text, error;
    regedit::RegTextEncoding encoding;
    EXPECT_FALSE(regedit::DecodeRegFile(Utf8ToUtf16Le("REGEDIT4\r\n"), text, encoding, error));
    EXPECT_NE(error.find("byte-order mark"), std::string::npos) << error;
    EXPECT_TRUE(regedit::DecodeRegFile("\r\n  REGEDIT4  \r\n", text, encoding, error));
    EXPECT_EQ(encoding, regedit::RegTextEncoding::Ansi);
}
