// dmctl net builds a RAS network by script; dmctl ras drives it through the
// loaded RAS library.

#include <gtest/gtest.h>

#include "tests/dmctl/dmctlrunner.h"
#include "tests/support/tempdir.h"

#include <cstdlib>

using namespace dm::test;

namespace {

class DmctlRasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_root = (m_dir / "net").string();
        ::setenv("DIALMIND_NETWORK", m_root.c_str(), 1);
        ::setenv("DIALMIND_COMPUTERNAME", "TESTHOST", 1);
        ::unsetenv("DIALMIND_RASSAPI");
        ASSERT_EQ(0, RunDmctl({"net", "init", m_root}).status);
        ASSERT_EQ(0, RunDmctl({"net", "add-domain", "DOM", "DC1"}).status);
        ASSERT_EQ(0, RunDmctl({"net", "add-computer", "RAS1"}).status);
        ASSERT_EQ(0, RunDmctl({"net", "add-port", "RAS1", "COM1"}).status);
        ASSERT_EQ(0, RunDmctl({"net", "add-port", "RAS1", "ISDN1", "--media", "isdn"}).status);
        ASSERT_EQ(0, RunDmctl({"net", "add-user", "DOM", "jdoe", "--rights", "10", "--callback",
                               "040 123"}).status);
    }
    TempDir m_dir;
    std::string m_root;
};

TEST_F(DmctlRasTest, ASessionIsSeenEndedAndCleared)
{
    ASSERT_EQ(0, RunDmctl({"net", "session", "RAS1", "COM1", "jdoe", "--domain", "DOM",
                           "--start", "1000"}).status);
    EXPECT_EQ("COM1,DOM\\jdoe,1000,AUTHENTICATED\nISDN1,,0,WAITING FOR CALL\n",
              RunDmctl({"ras", "ports", "RAS1"}).out);
    EXPECT_EQ("2,1\n", RunDmctl({"ras", "server", "\\\\RAS1"}).out);
    const auto port = RunDmctl({"ras", "port", "RAS1", "isdn1"});
    EXPECT_EQ(0, port.status);
    EXPECT_NE(std::string::npos, port.out.find("Media type: 4 ISDN\n")) << port.out;
    EXPECT_NE(std::string::npos, port.out.find("Line speed: 64000\n"));

    ASSERT_EQ(0, RunDmctl({"ras", "disconnect", "RAS1", "COM1"}).status);
    EXPECT_EQ("2,0\n", RunDmctl({"ras", "server", "RAS1"}).out);
    ASSERT_EQ(0, RunDmctl({"ras", "clear", "RAS1", "COM1"}).status);
    EXPECT_NE(std::string::npos,
              RunDmctl({"ras", "port", "RAS1", "COM1"}).out.find("Bytes received: 0\n"));
}

TEST_F(DmctlRasTest, PermissionsReadAndWrittenOnTheController)
{
    EXPECT_EQ("10,040 123\n", RunDmctl({"ras", "user", "DC1", "jdoe"}).out);
    ASSERT_EQ(0, RunDmctl({"ras", "user", "\\\\DC1", "jdoe", "--set", "12"}).status);
    EXPECT_EQ("12,\n", RunDmctl({"ras", "user", "DC1", "JDOE"}).out);
    const auto unknown = RunDmctl({"ras", "user", "DC1", "nobody"});
    EXPECT_NE(0, unknown.status);
    EXPECT_NE(std::string::npos, unknown.err.find("error 2221")) << unknown.err;
    EXPECT_NE(0, RunDmctl({"ras", "user", "DC1", "jdoe", "--set", "300"}).status);
}

TEST_F(DmctlRasTest, FailuresExitNonZeroWithTheErrorNumber)
{
    auto r = RunDmctl({"ras", "ports", "NOWHERE"});
    EXPECT_NE(0, r.status);
    EXPECT_NE(std::string::npos, r.err.find("error 53")) << r.err;
    r = RunDmctl({"ras", "port", "RAS1", "COM9"});
    EXPECT_NE(std::string::npos, r.err.find("error 615")) << r.err;
    r = RunDmctl({"ras", "ports", "DC1"});
    EXPECT_NE(std::string::npos, r.err.find("error 1060")) << r.err;
    EXPECT_NE(0, RunDmctl({"ras", "frobnicate"}).status);
    EXPECT_EQ(0, RunDmctl({"ras", "--help"}).status);
    EXPECT_NE(0, RunDmctl({"net", "session", "RAS1", "COM1"}).status);
}

TEST_F(DmctlRasTest, TheNoFreeBuildIsReportedOnce)
{
    ::setenv("DIALMIND_RASSAPI", DM_LIB_DIR "/librassapi_nofree.so", 1);
    const auto r = RunDmctl({"ras", "server", "RAS1"});
    ::unsetenv("DIALMIND_RASSAPI");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ("dmctl ras: Error when loading Rassapi.dll: Unable to locate ordinal 0x002\n", r.err);
}

TEST_F(DmctlRasTest, GroupsTakeMembersThatExist)
{
    EXPECT_EQ(0, RunDmctl({"net", "add-group", "DOM", "Sales", "jdoe"}).status);
    EXPECT_NE(0, RunDmctl({"net", "add-group", "DOM", "Sales", "ghost"}).status);
    EXPECT_EQ(0, RunDmctl({"net", "add-group", "DOM", "Dial-in", "--local", "OTHER\\Sales"}).status);
    EXPECT_NE(0, RunDmctl({"net", "add-user", "NODOMAIN", "x"}).status);
}

} // namespace
