// The hive file on disk: a hive that cannot be read is never taken for an
// empty one, a FIFO in its place neither blocks nor is written through, and
// a replaced hive keeps the file's mode.

#include "platform/registry/hivestore.h"
#include "platform/registry/registry.h"
#include "tests/platform/networkfixture.h"
#include "tests/support/childprocess.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace dm;
using dm::test::ReadFile;
using dm::test::RunInChild;

namespace {

class HiveFileTest : public dm::test::NetworkTest {
protected:
    void SetUp() override
    {
        NetworkTest::SetUp();
        Network::AddComputer("MASTER");
        RegKey hive, key;
        ASSERT_EQ(RegOpenHive("MASTER", hive), 0u);
        ASSERT_EQ(hive.CreateKey("Software\\Dialmind", key), 0u);
        ASSERT_EQ(key.SetString("Database", "\\\\MASTER\\DM_NT_DB"), 0u);
    }
    std::filesystem::path HiveFile() const { return Machine("MASTER") / "registry.reg"; }
    static mode_t ModeOf(const std::filesystem::path& file)
    {
        struct stat st {};
        return ::stat(file.c_str(), &st) == 0 ? st.st_mode : 0;
    }
};

TEST_F(HiveFileTest, AnUnreadableHiveIsAnErrorAndIsNeverOverwritten)
{
    const std::string before = ReadFile(HiveFile());
    // The caller (an unprivileged user) may write the directory and the lock
    // file, only the hive itself is closed to it.
    std::filesystem::permissions(m_dir.path(), std::filesystem::perms::all);
    std::filesystem::permissions(Machine("MASTER"), std::filesystem::perms::all);
    std::filesystem::permissions(m_dir.path() / "network", std::filesystem::perms::all);
    std::filesystem::permissions(m_dir.path() / "network" / "machines", std::filesystem::perms::all);
    {
        RegKey touch;
        ASSERT_EQ(RegOpenHive("MASTER", touch), 0u);
        ASSERT_EQ(touch.SetDword("Touched", 1), 0u); // creates the lock file
    }
    const std::string written = ReadFile(HiveFile());
    ::chmod((Machine("MASTER") / ".registry.reg.lock").c_str(), 0666);
    ASSERT_EQ(::chmod(HiveFile().c_str(), 0), 0);
    HiveStore::ClearCache();

    const int result = RunInChild(
        [] {
            RegKey hive, key;
            if (RegOpenHive("MASTER", hive) != 0)
                return 1;
            if (hive.OpenKey("Software\\Dialmind", key) != winerr::AccessDenied)
                return 2;
            if (hive.CreateKey("Software\\New", key) != winerr::AccessDenied)
                return 3;
            std::string text;
            if (RegExportText(hive, text) != winerr::AccessDenied)
                return 4;
            if (RegImportText(hive, "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\X]\r\n") != winerr::AccessDenied)
                return 5;
            return 0;
        },
        true);
    EXPECT_EQ(result, 0);
    ::chmod(HiveFile().c_str(), 0600);
    EXPECT_EQ(ReadFile(HiveFile()), written);
    EXPECT_NE(before, written);
}

TEST_F(HiveFileTest, AReplacedHiveKeepsItsMode)
{
    ASSERT_EQ(::chmod(HiveFile().c_str(), 0600), 0);
    RegKey hive;
    ASSERT_EQ(RegOpenHive("MASTER", hive), 0u);
    ASSERT_EQ(hive.SetString("Private", "yes"), 0u);
    EXPECT_EQ(ModeOf(HiveFile()) & 07777, 0600u);
    ASSERT_EQ(::chmod(HiveFile().c_str(), 0640), 0);
    ASSERT_EQ(hive.DeleteValue("Private"), 0u);
    EXPECT_EQ(ModeOf(HiveFile()) & 07777, 0640u);
}

TEST_F(HiveFileTest, AFifoInPlaceOfTheHiveReadsAsNoHiveAndRefusesWrites)
{
    std::filesystem::remove(HiveFile());
    ASSERT_EQ(::mkfifo(HiveFile().c_str(), 0644), 0);
    HiveStore::ClearCache();
    const int result = RunInChild([] {
        RegKey hive, key;
        if (RegConnectRegistry("\\\\MASTER", hive) != 0)
            return 1;
        if (hive.OpenKey("Software\\Dialmind", key) != winerr::FileNotFound)
            return 2;
        if (!hive.SubKeyNames().empty())
            return 3;
        if (hive.CreateKey("Software\\New", key) == 0)
            return 4;
        if (RegImportText(hive, "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\X]\r\n") == 0)
            return 5;
        return 0;
    });
    EXPECT_EQ(result, 0) << "-1: the program blocked on the FIFO";
    EXPECT_TRUE(S_ISFIFO(ModeOf(HiveFile())));
}

} // namespace
