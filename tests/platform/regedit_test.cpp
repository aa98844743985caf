#include "platform/registry/reghive.h"
#include "platform/registry/registry.h"
#include "tests/platform/networkfixture.h"

#include <gtest/gtest.h>

using namespace dm;
using dm::test::ReadFile;
using dm::test::WriteFile;

namespace {

const char* const Sample =
    "REGEDIT4\r\n"
    "\r\n"
    "; written by hand\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\RAS\\AdminDLL]\r\n"
    "\"DLLPath\"=\"C:\\\\Dialmind\\\\DIALMIND.DLL\"\r\n"
    "\"Quoted\"=\"say \\\"hi\\\"\"\r\n"
    "@=\"default\"\r\n"
    "\"Master\"=dword:00000001\r\n"
    "this line is garbage\r\n"
    "\"Broken\"=dword:xyz\r\n"
    "\"NullSessionShares\"=hex(7):43,4f,4d,43,46,47,00,44,4d,5f,4e,\\\r\n"
    "  54,5f,44,42,00,00\r\n"
    "\"After\"=\"still read\"\r\n"
    "\r\n"
    "[HKEY_CURRENT_USER\\Elsewhere]\r\n"
    "\"Foreign\"=\"ignored\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\System]\n"
    "\"Lf\"=\"line ends differ\"";

KeyPath Path(std::initializer_list<const char*> parts) { return KeyPath(parts.begin(), parts.end()); }

TEST(RegeditFormat, AnUnchangedHiveIsWrittenBackByteForByte)
{
    const RegHive hive = RegHive::Parse(Sample);
    EXPECT_EQ(hive.Serialize(), Sample);
    for (const char* text : {"", "REGEDIT4", "[", "\"a\"=\"b\"\n", "[HKLM\\A]\r\"x\"=hex:01,\\"})
        EXPECT_EQ(RegHive::Parse(text).Serialize(), text);
}

TEST(RegeditFormat, BadLinesAreSkippedAndTheRestIsRead)
{
    const RegHive hive = RegHive::Parse(Sample);
    const KeyPath admin = Path({"software", "microsoft", "ras", "admindll"});
    std::vector<std::string> names;
    for (const auto& v : hive.Values(admin))
        names.push_back(v.name);
    EXPECT_EQ(names, (std::vector<std::string>{"DLLPath", "Quoted", "", "Master", "NullSessionShares", "After"}));
    std::string text;
    ASSERT_TRUE(hive.FindValue(admin, "dllpath")->AsString(text));
    EXPECT_EQ(text, "C:\\Dialmind\\DIALMIND.DLL");
    ASSERT_TRUE(hive.FindValue(admin, "Quoted")->AsString(text));
    EXPECT_EQ(text, "say \"hi\"");
    std::vector<std::string> shares;
    ASSERT_TRUE(hive.FindValue(admin, "NullSessionShares")->AsMultiString(shares));
    EXPECT_EQ(shares, (std::vector<std::string>{"COMCFG", "DM_NT_DB"}));
    EXPECT_FALSE(hive.FindValue(admin, "Broken"));
    EXPECT_FALSE(hive.FindKey(Path({"Elsewhere"})));
    EXPECT_EQ(hive.SubKeys({}), (std::vector<std::string>{"Software", "System"}));
    ASSERT_TRUE(hive.FindValue(Path({"System"}), "Lf"));
}

TEST(RegeditFormat, AChangeRewritesOnlyTheLinesItTouches)
{
    RegHive hive = RegHive::Parse(Sample);
    const KeyPath admin = Path({"Software", "Microsoft", "RAS", "AdminDLL"});
    hive.SetValue(admin, RegValue::Dword("MASTER", 0));
    hive.SetValue(Path({"System"}), RegValue::String("New", "x"));
    std::string expected = Sample;
    expected.replace(expected.find("dword:00000001"), 14, "dword:00000000");
    expected += "\r\n\"New\"=\"x\"\r\n"; // new lines take the file's first line end
    EXPECT_EQ(hive.Serialize(), expected);
}

TEST(RegeditFormat, TextsThatWouldBreakALineAreStoredAsBytes)
{
    RegHive hive;
    hive.CreateKey(Path({"K"}));
    const std::string nasty = "two\r\nlines \"and\" a \\ backslash\\";
    hive.SetValue(Path({"K"}), RegValue::String("Nasty", nasty));
    hive.SetValue(Path({"K"}), RegValue::String("Plain", "ends in \\"));
    hive.SetValue(Path({"K"}), RegValue::MultiString("Long", std::vector<std::string>(12, "a longer string")));
    const std::string text = hive.Serialize();
    EXPECT_EQ(text.find("two\r\nlines"), std::string::npos);
    EXPECT_NE(text.find("\"Plain\"=\"ends in \\\\\""), std::string::npos);
    EXPECT_NE(text.find(",\\\r\n  "), std::string::npos); // the list continues
    const RegHive again = RegHive::Parse(text);
    EXPECT_EQ(again.Serialize(), text);
    std::string read;
    ASSERT_TRUE(again.FindValue(Path({"K"}), "Nasty")->AsString(read));
    EXPECT_EQ(read, nasty);
    ASSERT_TRUE(again.FindValue(Path({"K"}), "Plain")->AsString(read));
    EXPECT_EQ(read, "ends in \\");
    std::vector<std::string> strings;
    ASSERT_TRUE(again.FindValue(Path({"K"}), "Long")->AsMultiString(strings));
    EXPECT_EQ(strings.size(), 12u);
    EXPECT_EQ(text.rfind("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\K]\r\n", 0), 0u);
}

TEST(RegeditFormat, ALaterDuplicateCountsAndDeletingRemovesEveryCopy)
{
    RegHive hive = RegHive::Parse("REGEDIT4\n\n[HKLM\\A]\n\"v\"=\"one\"\n\n[HKEY_LOCAL_MACHINE\\a]\n\"V\"=\"two\"\n");
    std::string text;
    ASSERT_TRUE(hive.FindValue(Path({"A"}), "v")->AsString(text));
    EXPECT_EQ(text, "two");
    EXPECT_EQ(hive.Values(Path({"A"})).size(), 1u);
    EXPECT_TRUE(hive.DeleteValue(Path({"A"}), "v"));
    EXPECT_FALSE(hive.FindValue(Path({"A"}), "v"));
}

class RegeditFileTest : public dm::test::NetworkTest {};

TEST_F(RegeditFileTest, ExportAndImportCarryAKeyToAnotherComputer)
{
    Network::AddComputer("SOURCE");
    Network::AddComputer("TARGET");
    WriteFile(Machine("SOURCE") / "registry.reg", Sample);
    RegKey source, key;
    ASSERT_EQ(RegOpenHive("SOURCE", source), 0u);
    ASSERT_EQ(source.OpenKey("Software\\Microsoft", key), 0u);
    ASSERT_EQ(key.SetDeniedToRemote(true), 0u);
    std::string exported;
    ASSERT_EQ(RegExportText(key, exported), 0u);
    EXPECT_EQ(exported.find("Elsewhere"), std::string::npos);
    EXPECT_EQ(exported.find("garbage"), std::string::npos);

    RegKey target, copy;
    ASSERT_EQ(RegOpenHive("TARGET", target), 0u);
    std::size_t count = 0;
    ASSERT_EQ(RegImportText(target, exported, &count), 0u);
    EXPECT_EQ(count, 9u); // three keys, six values
    ASSERT_EQ(target.OpenKey("Software\\Microsoft", copy), 0u);
    EXPECT_TRUE(copy.IsDeniedToRemote());
    std::string again;
    ASSERT_EQ(RegExportText(copy, again), 0u);
    EXPECT_EQ(again, exported);

    // Deletions in an import file; a remote caller cannot import into a denied key.
    RegKey remote;
    ASSERT_EQ(RegConnectRegistry("\\\\TARGET", remote), 0u);
    const std::string removal = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\RAS\\AdminDLL]\r\n\"Master\"=-\r\n";
    EXPECT_EQ(RegImportText(remote, removal), winerr::AccessDenied);
    ASSERT_EQ(RegImportText(target, removal + "[-HKEY_LOCAL_MACHINE\\System]\r\n"), 0u);
    std::uint32_t master = 0;
    RegKey admin;
    ASSERT_EQ(target.OpenKey("Software\\Microsoft\\RAS\\AdminDLL", admin), 0u);
    EXPECT_EQ(admin.QueryDword("Master", master), winerr::FileNotFound);
}

TEST_F(RegeditFileTest, AHiveFileWithBadLinesKeepsThemWhenWritten)
{
    Network::AddComputer("OLD");
    WriteFile(Machine("OLD") / "registry.reg", Sample);
    RegKey hive, key;
    ASSERT_EQ(RegOpenHive("OLD", hive), 0u);
    ASSERT_EQ(hive.OpenKey("Software\\Microsoft\\RAS\\AdminDLL", key), 0u);
    ASSERT_EQ(key.SetString("After", "still read"), 0u); // same value: nothing written
    EXPECT_EQ(ReadFile(Machine("OLD") / "registry.reg"), Sample);
    ASSERT_EQ(key.SetString("Version", "V1.40"), 0u);
    const std::string text = ReadFile(Machine("OLD") / "registry.reg");
    EXPECT_NE(text.find("this line is garbage\r\n"), std::string::npos);
    EXPECT_NE(text.find("\"After\"=\"still read\"\r\n\"Version\"=\"V1.40\"\r\n"), std::string::npos);
}

} // namespace

namespace {

TEST(RegeditFormat, ByteListsContinueEvenWhenTheNameHoldsAnEqualsSign)
{
    const RegHive hive = RegHive::Parse(
        "[HKLM\\K]\n\"a=b\"=hex:01,\\\n   02\n\"s\"=\"ends in \\\\\"\n\"next\"=dword:1f\n"
        "\"exp\"=hex(2):25,00\n\"wide\"=dword:123456789\n\"odd\"=hex:1\n");
    ASSERT_TRUE(hive.FindValue({"K"}, "a=b"));
    EXPECT_EQ(hive.FindValue({"K"}, "a=b")->data, std::string("\x01\x02", 2));
    std::uint32_t number = 0;
    ASSERT_TRUE(hive.FindValue({"K"}, "next")->AsDword(number));
    EXPECT_EQ(number, 0x1fu);
    std::string text;
    ASSERT_TRUE(hive.FindValue({"K"}, "exp")->AsString(text));
    EXPECT_EQ(text, "%");
    EXPECT_FALSE(hive.FindValue({"K"}, "wide")); // more than eight digits
    EXPECT_FALSE(hive.FindValue({"K"}, "odd"));
    ASSERT_TRUE(hive.FindValue({"K"}, "s")->AsString(text));
    EXPECT_EQ(text, "ends in \\");
}

TEST(RegeditFormat, DeletingTheOnlyKeyBelowAParentKeepsTheParent)
{
    RegHive hive = RegHive::Parse("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\A\\B\\C]\r\n\"v\"=\"1\"\r\n");
    ASSERT_TRUE(hive.FindKey({"a", "b"}));
    ASSERT_TRUE(hive.DeleteTree({"A", "B", "C"}));
    EXPECT_TRUE(hive.FindKey({"A", "B"}));
    EXPECT_TRUE(hive.SubKeys({"A", "B"}).empty());
    EXPECT_EQ(RegHive::Parse(hive.Serialize()).SubKeys({"A"}), std::vector<std::string>{"B"});
}

} // namespace
