// Paths given to dmctl never reach outside the network, and a computer made
// with dmctl net alone has RAS installed the way every program sees it.

#include <gtest/gtest.h>

#include "tests/dmctl/dmctlrunner.h"
#include "tests/support/tempdir.h"

#include <cstdlib>
#include <filesystem>

using namespace dm::test;
namespace fs = std::filesystem;

namespace {

class DmctlPathTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = m_dir / "net";
        ::setenv("DIALMIND_NETWORK", m_root.c_str(), 1);
        ::setenv("DIALMIND_COMPUTERNAME", "TESTHOST", 1);
        ASSERT_EQ(RunDmctl({"net", "init", m_root.string()}).status, 0);
        ASSERT_EQ(RunDmctl({"net", "add-computer", "MASTER"}).status, 0);
        ASSERT_EQ(RunDmctl({"net", "share", "MASTER", "DM_NT_DB", "C:\\Dialmind"}).status, 0);
        fs::create_directories(m_root / "machines" / "MASTER" / "drives" / "C" / "Dialmind");
    }
    void TearDown() override { ::setenv("DIALMIND_COMPUTERNAME", "TESTHOST", 1); }

    TempDir m_dir;
    fs::path m_root;
};

} // namespace

TEST_F(DmctlPathTest, IniRefusesPathsAboveTheShare)
{
    const std::string escape = "\\\\MASTER\\DM_NT_DB\\..\\..\\..\\..\\..\\..\\escape.ini";
    auto set = RunDmctl({"ini", "set", escape, "S", "k", "v"});
    EXPECT_NE(set.status, 0);
    EXPECT_NE(set.err.find("161"), std::string::npos) << set.err;
    EXPECT_NE(RunDmctl({"ini", "get", escape, "S", "k"}).status, 0);
    EXPECT_FALSE(fs::exists(m_dir / "escape.ini"));

    // A link planted in the share is not written through.
    fs::create_symlink(m_dir / "victim.ini",
                       m_root / "machines" / "MASTER" / "drives" / "C" / "Dialmind" / "Dialmind.hw");
    auto linked = RunDmctl({"ini", "set", "\\\\MASTER\\DM_NT_DB\\Dialmind.hw", "S", "k", "v"});
    EXPECT_NE(linked.status, 0);
    EXPECT_NE(linked.err.find("161"), std::string::npos) << linked.err;
    EXPECT_FALSE(fs::exists(m_dir / "victim.ini"));
}

TEST_F(DmctlPathTest, RegImportReadsSystemPathsThroughTheResolver)
{
    WriteFile(m_dir / "escape.reg", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Escaped]\r\n");
    auto escaped = RunDmctl({"reg", "import", "MASTER",
                             "\\\\MASTER\\DM_NT_DB\\..\\..\\..\\..\\..\\..\\escape.reg"});
    EXPECT_NE(escaped.status, 0);
    EXPECT_NE(escaped.err.find("161"), std::string::npos) << escaped.err;
    EXPECT_EQ(RunDmctl({"reg", "keys", "MASTER", "Software"}).out.find("Escaped"), std::string::npos);

    // The same file inside the share imports.
    fs::copy_file(m_dir / "escape.reg",
                  m_root / "machines" / "MASTER" / "drives" / "C" / "Dialmind" / "in.reg");
    auto inside = RunDmctl({"reg", "import", "MASTER", "\\\\MASTER\\DM_NT_DB\\in.reg"});
    EXPECT_EQ(inside.status, 0) << inside.err;
    EXPECT_NE(RunDmctl({"reg", "keys", "MASTER", "Software"}).out.find("Escaped"), std::string::npos);
}

TEST_F(DmctlPathTest, AnInvalidLocalComputerNameIsRefusedBeforeAnyPath)
{
    ::setenv("DIALMIND_COMPUTERNAME", "../../ESC", 1);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"ini", "set", "win.ini", "S", "k", "v"},
          std::vector<std::string>{"reg", "set", ".", "Software\\X", "v", "--sz", "t"},
          std::vector<std::string>{"net", "show"}}) {
        auto result = RunDmctl(args);
        EXPECT_EQ(result.status, 1) << args[0];
        EXPECT_NE(result.err.find("../../ESC"), std::string::npos) << result.err;
    }
    EXPECT_FALSE(fs::exists(m_dir / "ESC"));
    EXPECT_FALSE(fs::exists(m_root / "ESC"));
}

TEST_F(DmctlPathTest, AddPortInstallsRasWhereSetupLooksForIt)
{
    auto none = RunDmctl({"reg", "get", "MASTER", "Software\\Microsoft\\Ras\\CurrentVersion", "MajorVersion"});
    EXPECT_NE(none.status, 0);
    ASSERT_EQ(RunDmctl({"net", "add-port", "MASTER", "COM1"}).status, 0);
    EXPECT_TRUE(fs::exists(m_root / "machines" / "MASTER" / "ras.ini"));
    auto version = RunDmctl({"reg", "get", "MASTER", "Software\\Microsoft\\Ras\\CurrentVersion", "MajorVersion"});
    EXPECT_EQ(version.status, 0) << version.err;
    EXPECT_EQ(version.out, "4\n");
}
