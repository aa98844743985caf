// No path leaves the network: "..", planted links and invalid local
// computer names never carry a read or write outside the network root.

#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"
#include "platform/registry/registry.h"
#include "tests/platform/networkfixture.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace dm;
using dm::test::ReadFile;
using dm::test::WriteFile;

namespace {

class PathConfinementTest : public dm::test::NetworkTest {
protected:
    void SetUp() override
    {
        NetworkTest::SetUp();
        Network::AddComputer("MASTER");
        ASSERT_TRUE(WritePrivateProfileString("Shares", "DM_NT_DB", "C:\\Dialmind",
                                              (Machine("MASTER") / "shares.ini").string()));
        m_share = Machine("MASTER") / "drives" / "C" / "Dialmind";
        fs::create_directories(m_share);
        fs::create_directories(m_outside);
    }
    // Everything below the temporary directory that is not the network.
    std::vector<fs::path> OutsideEntries() const
    {
        std::vector<fs::path> entries;
        for (const auto& entry : fs::recursive_directory_iterator(m_dir.path())) {
            const fs::path relative = entry.path().lexically_relative(m_dir.path());
            if (*relative.begin() != "network" && *relative.begin() != "outside")
                entries.push_back(relative);
        }
        for (const auto& entry : fs::recursive_directory_iterator(m_outside))
            entries.push_back(entry.path());
        return entries;
    }

    fs::path m_share;
    fs::path m_outside = m_dir.path() / "outside";
};

} // namespace

TEST_F(PathConfinementTest, DotDotStaysInsideItsShareOrDrive)
{
    // Inside the share ".." works as anywhere else.
    const ResolvedPath inside = ResolvePath("\\\\MASTER\\DM_NT_DB\\LogData\\..\\.\\Dialmind.hw");
    ASSERT_TRUE(inside.ok());
    EXPECT_EQ(inside.path, m_share / "Dialmind.hw");
    EXPECT_EQ(ResolvePath("C:\\WINNT\\..\\Data\\x.ini").path,
              Machine("TESTHOST") / "drives" / "C" / "Data" / "x.ini");

    // Above the share, the drive or the Windows directory: 161, whatever follows.
    for (const char* path : {"\\\\MASTER\\DM_NT_DB\\..\\..\\..\\escape",
                             "\\\\MASTER\\DM_NT_DB\\..\\Dialmind\\x.ini",
                             "\\\\MASTER\\DM_NT_DB\\a\\..\\..\\x.ini", "C:\\..\\x.ini",
                             "C:..\\..\\..\\..\\x.ini", "\\..\\x.ini", "..", "."})
        EXPECT_EQ(ResolvePath(path).error, winerr::BadPathName) << path;
    EXPECT_EQ(WinErrorName(winerr::BadPathName), "ERROR_BAD_PATHNAME");
}

TEST_F(PathConfinementTest, APathAboveTheShareWritesNothing)
{
    const std::string escape = "\\\\MASTER\\DM_NT_DB\\..\\..\\..\\..\\..\\..\\escape.ini";
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", escape));
    ProfileBatch batch(escape);
    batch.Write("S", "k", "v");
    EXPECT_FALSE(batch.Commit());
    EXPECT_EQ(GetPrivateProfileString("S", "k", "none", escape), "none");
    EXPECT_TRUE(OutsideEntries().empty());
}

TEST_F(PathConfinementTest, ALinkOutOfTheNetworkIsNotFollowedForWrites)
{
    WriteFile(m_outside / "victim.ini", "[Keep]\r\nx=1\r\n");
    fs::create_symlink(m_outside / "victim.ini", m_share / "Dialmind.hw");
    fs::create_directory_symlink(m_outside, m_share / "LogData");
    fs::create_symlink(m_outside / "created.ini", m_share / "dangling.ini");

    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", "\\\\MASTER\\DM_NT_DB\\Dialmind.hw"));
    EXPECT_FALSE(DeletePrivateProfileSection("Keep", "\\\\MASTER\\DM_NT_DB\\Dialmind.hw"));
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", "\\\\MASTER\\DM_NT_DB\\LogData\\day.log"));
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", "\\\\MASTER\\DM_NT_DB\\dangling.ini"));
    EXPECT_EQ(ReadFile(m_outside / "victim.ini"), "[Keep]\r\nx=1\r\n");
    EXPECT_FALSE(fs::exists(m_outside / "day.log"));
    EXPECT_FALSE(fs::exists(m_outside / "created.ini"));
    EXPECT_TRUE(fs::is_symlink(m_share / "Dialmind.hw"));
    EXPECT_EQ(ResolveWriteTarget(m_share / "Dialmind.hw").error, winerr::BadPathName);

    // A planted lock file creates nothing either.
    fs::create_symlink(m_outside / "lock", m_share / ".dialmind.usr.lock");
    EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", "\\\\MASTER\\DM_NT_DB\\Dialmind.usr"));
    EXPECT_FALSE(fs::exists(m_outside / "lock"));

    // Reads do not follow it either.
    EXPECT_EQ(GetPrivateProfileString("Keep", "x", "none", "\\\\MASTER\\DM_NT_DB\\Dialmind.hw"), "none");
}

TEST_F(PathConfinementTest, ALinkInsideTheNetworkIsWrittenThroughAndKept)
{
    WriteFile(m_share / "real.ini", "[S]\r\nold=1\r\n");
    fs::create_symlink("real.ini", m_share / "alias.ini");
    ASSERT_TRUE(WritePrivateProfileString("S", "k", "v", "\\\\MASTER\\DM_NT_DB\\alias.ini"));
    EXPECT_TRUE(fs::is_symlink(m_share / "alias.ini"));
    EXPECT_EQ(ReadFile(m_share / "real.ini"), "[S]\r\nold=1\r\nk=v\r\n");
}

TEST_F(PathConfinementTest, AHiveThatLinksOutsideIsNeitherWrittenNorReplaced)
{
    const fs::path hive = Machine("MASTER") / "registry.reg";
    WriteFile(m_outside / "victim.reg", "REGEDIT4\r\n");
    fs::remove(hive);
    fs::create_symlink(m_outside / "victim.reg", hive);

    RegKey root, key;
    ASSERT_EQ(RegOpenHive("MASTER", root), 0u);
    EXPECT_EQ(root.CreateKey("Software\\Test", key), winerr::BadPathName);
    EXPECT_EQ(ReadFile(m_outside / "victim.reg"), "REGEDIT4\r\n");
    EXPECT_TRUE(fs::is_symlink(hive));

    // One rule for both kinds of file: a link inside the network is written through.
    fs::remove(hive);
    WriteFile(Machine("MASTER") / "hive.reg", "REGEDIT4\r\n");
    fs::create_symlink("hive.reg", hive);
    ASSERT_EQ(root.CreateKey("Software\\Test", key), 0u);
    EXPECT_TRUE(fs::is_symlink(hive));
    EXPECT_NE(ReadFile(Machine("MASTER") / "hive.reg").find("Software\\Test"), std::string::npos);
}

TEST_F(PathConfinementTest, AnInvalidLocalNameFormsNoPath)
{
    for (const char* name : {"../../ESC", "..", "A\\..\\..\\ESC", "SIXTEENCHARSLONG"}) {
        setenv("DIALMIND_COMPUTERNAME", name, 1);
        std::string message;
        EXPECT_EQ(Network::CheckLocalComputerName(&message), winerr::InvalidName) << name;
        EXPECT_NE(message.find("invalid"), std::string::npos);
        EXPECT_TRUE(Network::LocalWindowsDir().empty());
        EXPECT_FALSE(ResolvePath("win.ini").ok());
        EXPECT_FALSE(ResolvePath("C:\\Dialmind\\x.ini").ok());
        EXPECT_FALSE(WritePrivateProfileString("S", "k", "v", "C:\\WINNT\\x.ini"));
        RegKey hive;
        EXPECT_NE(RegOpenLocalMachine(hive), 0u);
        EXPECT_TRUE(Network::AddComputer(name).empty());
    }
    // A fresh network whose local name is invalid gets no folder for it.
    setenv("DIALMIND_NETWORK", (m_dir.path() / "network" / "fresh").c_str(), 1);
    setenv("DIALMIND_COMPUTERNAME", "../../ESC", 1);
    Network::Root();
    EXPECT_TRUE(OutsideEntries().empty());
    EXPECT_FALSE(fs::exists(m_dir.path() / "network" / "ESC"));
    EXPECT_FALSE(fs::exists(m_dir.path() / "ESC"));

    setenv("DIALMIND_COMPUTERNAME", "testhost", 1);
    EXPECT_EQ(Network::CheckLocalComputerName(), 0u);
}

TEST_F(PathConfinementTest, TheWindowsDirectoryHasItsSystemName)
{
    EXPECT_EQ(ResolvePath("C:\\WINNT\\NT_PURGE.EXE").path, Network::LocalWindowsDir() / "NT_PURGE.EXE");
    EXPECT_EQ(ResolvePath("c:\\winnt").path, Network::LocalWindowsDir());
    EXPECT_EQ(ResolvePathOn("MASTER", "C:\\WINNT\\win.ini").path,
              Network::WindowsDir("MASTER") / "win.ini");
}
