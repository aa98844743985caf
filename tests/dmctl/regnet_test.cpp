#include <gtest/gtest.h>

#include "tests/dmctl/dmctlrunner.h"
#include "tests/support/tempdir.h"

#include <cstdlib>

using namespace dm::test;

namespace {

TEST_F(DmctlNetworkTest, RegSetGetListExportAndImport)
{
    const std::string key = "Software\\Microsoft\\RAS\\AdminDLL";
    ASSERT_EQ(RunDmctl({"reg", "set", "\\\\MASTER", key, "Master", "--dword", "0x10"}).status, 0);
    ASSERT_EQ(RunDmctl({"reg", "set", "master", "HKLM\\" + key, "MasterShare", "--sz", "\\\\MASTER\\DM_NT_DB"}).status, 0);
    ASSERT_EQ(RunDmctl({"reg", "set", "MASTER", key, "List", "--multi", "a b", "c"}).status, 0);
    EXPECT_EQ(RunDmctl({"reg", "get", "MASTER", "software\\microsoft\\ras\\admindll", "master"}).out, "16\n");
    EXPECT_EQ(RunDmctl({"reg", "get", "MASTER", key, "MasterShare"}).out, "\\\\MASTER\\DM_NT_DB\n");
    EXPECT_EQ(RunDmctl({"reg", "get", "MASTER", key, "List"}).out, "a b\nc\n");
    EXPECT_EQ(RunDmctl({"reg", "keys", "MASTER", "Software\\Microsoft"}).out, "Windows\nRAS\n");
    EXPECT_EQ(RunDmctl({"reg", "values", "MASTER", key}).out,
              "Master\tREG_DWORD\t16\nMasterShare\tREG_SZ\t\\\\MASTER\\DM_NT_DB\nList\tREG_MULTI_SZ\ta b\\0c\n");

    auto exported = RunDmctl({"reg", "export", "MASTER", "Software\\Microsoft\\RAS"});
    ASSERT_EQ(exported.status, 0);
    EXPECT_EQ(exported.out.rfind("REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\RAS]\r\n", 0), 0u);
    WriteFile(m_dir / "ras.reg", exported.out);
    auto imported = RunDmctl({"reg", "import", ".", (m_dir / "ras.reg").string()});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(RunDmctl({"reg", "export", ".", "Software\\Microsoft\\RAS"}).out, exported.out);

    ASSERT_EQ(RunDmctl({"reg", "delete", "MASTER", key, "List"}).status, 0);
    ASSERT_EQ(RunDmctl({"reg", "delete", "MASTER", "Software\\Microsoft\\RAS"}).status, 0);
    EXPECT_EQ(RunDmctl({"reg", "keys", "MASTER", "Software\\Microsoft"}).out, "Windows\n");
}

TEST_F(DmctlNetworkTest, RegImportReadsTheRegistryEditorsUnicodeFilesAndRefusesOthers)
{
    const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\Unicode]\r\n"
                             "\"List\"=hex(7):61,00,00,00,e9,00,00,00,00,00\r\n"
                             "\"Path\"=hex(2):25,00,58,00,25,00,00,00\r\n";
    std::string wide = "\xFF\xFE";
    for (char c : text)
        wide += std::string{c, '\0'};
    WriteFile(m_dir / "unicode.reg", wide);
    auto imported = RunDmctl({"reg", "import", "MASTER", (m_dir / "unicode.reg").string()});
    EXPECT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out, "3 keys and values imported\n");
    EXPECT_EQ(RunDmctl({"reg", "get", "MASTER", "Software\\Unicode", "List"}).out, "a\n\u00e9\n");
    EXPECT_EQ(RunDmctl({"reg", "values", "MASTER", "Software\\Unicode"}).out,
              "List\tREG_MULTI_SZ\ta\\0\u00e9\nPath\tREG_EXPAND_SZ\t%X%\n");

    auto exported = RunDmctl({"reg", "export", "MASTER", "Software\\Unicode", "--version5"});
    EXPECT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.out.substr(0, 4), std::string("\xFF\xFEW\0", 4));
    WriteFile(m_dir / "again.reg", exported.out);
    ASSERT_EQ(RunDmctl({"reg", "delete", "MASTER", "Software\\Unicode"}).status, 0);
    EXPECT_EQ(RunDmctl({"reg", "import", "MASTER", (m_dir / "again.reg").string()}).out,
              "3 keys and values imported\n");
    EXPECT_EQ(RunDmctl({"reg", "get", "MASTER", "Software\\Unicode", "List"}).out, "a\n\u00e9\n");

    WriteFile(m_dir / "notes.txt", "[HKEY_LOCAL_MACHINE\\Software\\Notes]\r\n");
    auto refused = RunDmctl({"reg", "import", "MASTER", (m_dir / "notes.txt").string()});
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(refused.out.empty()) << refused.out;
    EXPECT_NE(refused.err.find("not a registry file"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("notes.txt"), std::string::npos) << refused.err;
    EXPECT_EQ(RunDmctl({"reg", "keys", "MASTER", "Software\\Notes"}).status, 2);
}

TEST_F(DmctlNetworkTest, RegFailuresPrintTheErrorNumberAndNameWithStatusTwo)
{
    auto unknown = RunDmctl({"reg", "get", "\\\\NOWHERE", "Software", "x"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("error 53 (ERROR_BAD_NETPATH)"), std::string::npos);
    auto missingKey = RunDmctl({"reg", "get", "MASTER", "Software\\Nothing", "x"});
    EXPECT_EQ(missingKey.status, 2);
    EXPECT_NE(missingKey.err.find("error 2 (ERROR_FILE_NOT_FOUND)"), std::string::npos);

    ASSERT_EQ(RunDmctl({"reg", "deny", "MASTER", "Software\\Microsoft", "on"}).status, 0);
    auto denied = RunDmctl({"reg", "keys", "MASTER", "Software\\Microsoft", "--remote"});
    EXPECT_EQ(denied.status, 2);
    EXPECT_NE(denied.err.find("error 5 (ERROR_ACCESS_DENIED)"), std::string::npos);
    EXPECT_EQ(RunDmctl({"reg", "keys", "MASTER", "Software\\Microsoft"}).status, 0);

    ASSERT_EQ(RunDmctl({"net", "offline", "MASTER", "on"}).status, 0);
    EXPECT_EQ(RunDmctl({"reg", "keys", "MASTER", "Software", "--remote"}).status, 2);
    ASSERT_EQ(RunDmctl({"net", "offline", "MASTER", "off"}).status, 0);
    EXPECT_EQ(RunDmctl({"reg", "keys", "MASTER", "Software", "--remote"}).status, 0);

    EXPECT_EQ(RunDmctl({"reg", "set", "MASTER", "K", "V", "--dword", "4294967296"}).status, 1);
    EXPECT_EQ(RunDmctl({"reg", "set", "MASTER", "K", "V"}).status, 1);
    EXPECT_EQ(RunDmctl({"reg", "frobnicate", "MASTER"}).status, 1);
    EXPECT_NE(RunDmctl({"reg", "--help"}).out.find("import COMPUTER FILE"), std::string::npos);
}

TEST_F(DmctlNetworkTest, NetBuildsComputersSharesServicesAndShowsThem)
{
    EXPECT_NE(ReadFile(m_dir / "net" / "machines" / "TESTHOST" / "windows" / "win.ini").find("[windows]\r\ndevice="),
              std::string::npos);
    EXPECT_EQ(RunDmctl({"net", "add-computer", "BAD NAME"}).status, 2);
    EXPECT_EQ(RunDmctl({"net", "add-computer", "MUCH-TOO-LONG-A-NAME"}).status, 2);
    ASSERT_EQ(RunDmctl({"net", "share", "MASTER", "DM_NT_DB", "C:\\Dialmind"}).status, 0);
    ASSERT_EQ(RunDmctl({"net", "service", ".", "RemoteAccess", "running"}).status, 0);
    ASSERT_EQ(RunDmctl({"net", "service", "MASTER", "RemoteAccess", "1"}).status, 0);
    EXPECT_EQ(RunDmctl({"net", "service", "MASTER", "RemoteAccess", "9"}).status, 1);
    EXPECT_EQ(RunDmctl({"net", "share", "NOWHERE", "X", "C:\\"}).status, 2);
    ASSERT_EQ(RunDmctl({"net", "offline", "MASTER", "on"}).status, 0);

    auto shown = RunDmctl({"net", "show"});
    ASSERT_EQ(shown.status, 0);
    EXPECT_NE(shown.out.find("MASTER [offline]"), std::string::npos);
    EXPECT_NE(shown.out.find("share DM_NT_DB = C:\\Dialmind"), std::string::npos);
    EXPECT_NE(shown.out.find("TESTHOST (this computer)"), std::string::npos);
    EXPECT_NE(shown.out.find("service RemoteAccess: state 4"), std::string::npos);
    auto help = RunDmctl({"net", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("offline COMPUTER on|off"), std::string::npos);
    EXPECT_EQ(RunDmctl({"net", "nonsense"}).status, 1);
}

} // namespace
