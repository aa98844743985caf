#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace dm;
namespace fs = std::filesystem;

namespace {

// Every test gets a network of its own; the local computer is TESTHOST.
class NetworkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("DIALMIND_NETWORK", (m_dir.path() / "net").c_str(), 1);
        setenv("DIALMIND_COMPUTERNAME", "TestHost", 1);
    }
    void Share(const std::string& computer, const std::string& share, const std::string& dir)
    {
        Network::AddComputer(computer);
        const fs::path ini = *Network::ComputerDir(computer) / "shares.ini";
        ASSERT_TRUE(WritePrivateProfileString("Shares", share, dir, ini.string()));
    }
    test::TempDir m_dir;
};

} // namespace

TEST_F(NetworkTest, NewNetworkHoldsJustTheLocalComputer)
{
    EXPECT_EQ(Network::LocalComputerName(), "TESTHOST");
    EXPECT_EQ(Network::Computers(), std::vector<std::string>{"TESTHOST"});
    EXPECT_TRUE(fs::is_directory(Network::LocalWindowsDir()));
}

TEST_F(NetworkTest, ComputerNamesInEveryFormReachTheSameFolder)
{
    Network::AddComputer("Ras1");
    auto a = Network::ComputerDir("\\\\RAS1");
    auto b = Network::ComputerDir("ras1");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(*a, *b);
    EXPECT_EQ(Network::NormalizeComputerName("."), "TESTHOST");
    EXPECT_FALSE(Network::ComputerDir("\\\\..\\etc"));
}

TEST_F(NetworkTest, OfflineComputerFailsLikeAMissingNetworkPath)
{
    Share("RAS1", "DATA", "C:\\Data");
    EXPECT_TRUE(ResolvePath("\\\\RAS1\\DATA\\x.ini").ok());
    Network::SetReachable("RAS1", false);
    EXPECT_EQ(ResolvePath("\\\\RAS1\\DATA\\x.ini").error, winerr::BadNetPath);
    EXPECT_EQ(ResolvePath("\\\\NOBODY\\DATA\\x.ini").error, winerr::BadNetPath);
    Network::SetReachable("RAS1", true);
    EXPECT_TRUE(Network::IsReachable("RAS1"));
}

TEST_F(NetworkTest, SharesMapOntoTheSharingComputersDisk)
{
    Share("MASTER", "DM_NT_DB", "C:\\Dialmind\\Data");
    const ResolvedPath resolved = ResolvePath("\\\\MASTER\\DM_NT_DB\\LogData\\1997-Mar-04.log");
    ASSERT_TRUE(resolved.ok());
    EXPECT_EQ(resolved.path, *Network::ComputerDir("MASTER") / "drives/C/Dialmind/Data/LogData/1997-Mar-04.log");
    EXPECT_EQ(ResolvePath("\\\\MASTER\\NOSHARE\\x").error, winerr::BadNetName);
    EXPECT_EQ(ResolvePath("\\\\MASTER").error, winerr::BadNetName);
}

TEST_F(NetworkTest, ExistingComponentsMatchWithoutRegardToCase)
{
    const fs::path data = m_dir.path() / "Data";
    fs::create_directories(data / "LogData");
    test::WriteFile(data / "Dialmind.hw", "[Ports]\r\n");
    const std::string base = data.string();
    EXPECT_EQ(ResolvePath(base + "\\DIALMIND.HW").path, data / "Dialmind.hw");
    EXPECT_EQ(ResolvePath(base + "\\logdata\\New.log").path, data / "LogData" / "New.log");
    // A new file keeps the name as given, also below a missing directory.
    EXPECT_EQ(ResolvePath(base + "\\Missing\\Sub.ini").path, data / "Missing" / "Sub.ini");
}

TEST_F(NetworkTest, BareNamesLieInTheLocalWindowsDirectory)
{
    EXPECT_EQ(ResolvePath("win.ini").path, Network::LocalWindowsDir() / "win.ini");
    EXPECT_EQ(ResolvePath("C:\\Program Files\\Dialmind").path,
              *Network::ComputerDir("TESTHOST") / "drives/C/Program Files/Dialmind");
    const fs::path dir = m_dir.path() / "cwd";
    fs::create_directories(dir / "Sub");
    EXPECT_EQ(ResolveInDirectory(dir, "SUB\\dmscript.dat").path, dir / "Sub" / "dmscript.dat");
}
