// A key denied to remote callers stays out of their reach whichever way
// they come at it: deleting a key above it, importing a deletion of it, or
// importing deny marks of their own.

#include "platform/registry/registry.h"
#include "tests/platform/networkfixture.h"

#include <gtest/gtest.h>

using namespace dm;
using dm::test::ReadFile;

namespace {

class RemoteDenialTest : public dm::test::NetworkTest {
protected:
    void SetUp() override
    {
        NetworkTest::SetUp();
        Network::AddComputer("MASTER");
        ASSERT_EQ(RegOpenHive("MASTER", m_local), 0u);
        RegKey key;
        ASSERT_EQ(m_local.CreateKey("Software\\Secret\\Inner", key), 0u);
        ASSERT_EQ(key.SetDword("Level", 3), 0u);
        ASSERT_EQ(key.SetDeniedToRemote(true), 0u);
        ASSERT_EQ(m_local.CreateKey("Software\\Secret\\Open", key), 0u);
        ASSERT_EQ(key.SetString("Note", "x"), 0u);
        ASSERT_EQ(m_local.CreateKey("Software\\Public", key), 0u);
        ASSERT_EQ(RegConnectRegistry("\\\\MASTER", m_remote), 0u);
        m_before = Hive();
    }
    std::string Hive() const { return ReadFile(Machine("MASTER") / "registry.reg"); }

    RegKey m_local, m_remote;
    std::string m_before;
};

TEST_F(RemoteDenialTest, ARemoteDeleteOfAKeyHoldingADeniedKeyFailsAndChangesNothing)
{
    EXPECT_EQ(m_remote.DeleteTree("Software\\Secret"), winerr::AccessDenied);
    EXPECT_EQ(m_remote.DeleteTree("Software"), winerr::AccessDenied);
    EXPECT_EQ(m_remote.DeleteTree("software\\secret\\inner"), winerr::AccessDenied);
    EXPECT_EQ(Hive(), m_before);

    // Keys beside the denied one are still the remote caller's to delete.
    EXPECT_EQ(m_remote.DeleteTree("Software\\Secret\\Open"), 0u);
    EXPECT_EQ(m_remote.DeleteTree("Software\\Public"), 0u);
    // At the console everything may go.
    EXPECT_EQ(m_local.DeleteTree("Software\\Secret"), 0u);
    RegKey key;
    EXPECT_EQ(m_local.OpenKey("Software\\Secret\\Inner", key), winerr::FileNotFound);
}

TEST_F(RemoteDenialTest, ARemoteImportThatWouldRemoveOrChangeADeniedKeyFailsWhole)
{
    const char* refused[] = {
        "REGEDIT4\r\n\r\n[-HKEY_LOCAL_MACHINE\\Software\\Secret]\r\n",
        "REGEDIT4\r\n\r\n[-HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n",
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Secret\\Inner]\r\n\"Level\"=dword:00000000\r\n",
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Secret\\Inner\\Deeper]\r\n",
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Secret\\Inner]\r\n\"Level\"=-\r\n",
    };
    for (const char* text : refused) {
        // A harmless block first: the whole import is refused, not just the bad part.
        const std::string import = std::string(text) + "\r\n[HKEY_LOCAL_MACHINE\\Software\\Public]\r\n\"Added\"=\"1\"\r\n";
        std::size_t count = 99;
        EXPECT_EQ(RegImportText(m_remote, import, &count), winerr::AccessDenied) << text;
        EXPECT_EQ(count, 0u);
        EXPECT_EQ(Hive(), m_before) << text;
    }
    // The same texts apply at the console.
    EXPECT_EQ(RegImportText(m_local, refused[0]), 0u);
    RegKey key;
    EXPECT_EQ(m_local.OpenKey("Software\\Secret", key), winerr::FileNotFound);
}

TEST_F(RemoteDenialTest, ARemoteImportCannotSetDenyMarks)
{
    // A remote caller that could mark keys could lock everyone else out.
    const std::string mark =
        "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Public]\r\n; deny-remote\r\n\"A\"=\"1\"\r\n";
    EXPECT_EQ(RegImportText(m_remote, mark), winerr::AccessDenied);
    EXPECT_EQ(Hive(), m_before);
    RegKey key;
    ASSERT_EQ(m_remote.OpenKey("Software\\Public", key), 0u);
    EXPECT_FALSE(key.IsDeniedToRemote());

    // An ordinary remote import still works, and a console import may mark.
    EXPECT_EQ(RegImportText(m_remote, "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Public]\r\n\"A\"=\"1\"\r\n"), 0u);
    EXPECT_EQ(RegImportText(m_local, mark), 0u);
    EXPECT_EQ(m_remote.OpenKey("Software\\Public", key), winerr::AccessDenied);
}

TEST_F(RemoteDenialTest, ARemoteExportLeavesOutWhatTheCallerCannotOpen)
{
    RegKey software;
    ASSERT_EQ(m_remote.OpenKey("Software", software), 0u);
    std::string text;
    ASSERT_EQ(RegExportText(software, text), 0u);
    EXPECT_EQ(text.find("Inner"), std::string::npos);
    EXPECT_EQ(text.find("Level"), std::string::npos);
    EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Secret\\Open]"), std::string::npos);

    ASSERT_EQ(m_local.OpenKey("Software", software), 0u);
    ASSERT_EQ(RegExportText(software, text), 0u);
    EXPECT_NE(text.find("; deny-remote"), std::string::npos);
    EXPECT_NE(text.find("\"Level\"=dword:00000003"), std::string::npos);
}

} // namespace
