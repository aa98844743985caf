// dmctl greeting preview: the merged greeting of a database's rules.

#include <gtest/gtest.h>

#include "tests/dmctl/dmctlrunner.h"
#include "tests/support/tempdir.h"

using namespace dm::test;

namespace {

class DmctlGreetingTest : public ::testing::Test {
protected:
    void Rules(const std::string& greetings) { WriteFile(m_dir / "Dialmind.hw", "[Greetings]\r\n" + greetings); }
    DmctlResult Preview(std::vector<std::string> options = {})
    {
        std::vector<std::string> args = {"greeting", "preview", m_dir.str()};
        args.insert(args.end(), options.begin(), options.end());
        return RunDmctl(args);
    }
    TempDir m_dir;
};

TEST_F(DmctlGreetingTest, PrintsTheMergeWithSampleOrGivenValues)
{
    Rules("RuleMask=5\r\nRule0Text=\"Welcome, #UNAME\"\r\nRule1Text=\"Not me\"\r\nRule2Text=\"Max #PMS secs\"\r\n");
    EXPECT_EQ(Preview().out, "Welcome John Doe Max 20 secs \n");
    const auto given = Preview({"--user", "anna", "--pms", "3600"});
    EXPECT_EQ(given.status, 0);
    EXPECT_EQ(given.out, "Welcome anna Max 3600 secs \n");

    Rules("RuleMask=2\r\nRule1Text=\"#umsx #UCURRENT #UMT\"\r\n");
    EXPECT_EQ(Preview({"--ums", "7", "--ucur", "8", "--umt", "9"}).out, "7 8 9 \n");

    Rules("RuleMask=0\r\nRule0Text=\"Hello\"\r\n");
    const auto none = Preview();
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "[NO RULES ACTIVE]\n");
}

TEST_F(DmctlGreetingTest, BadArgumentsAndMissingDatabasesFail)
{
    EXPECT_EQ(RunDmctl({"greeting", "--help"}).status, 0);
    EXPECT_EQ(RunDmctl({"greeting", "preview"}).status, 2);
    EXPECT_EQ(RunDmctl({"greeting", "show", m_dir.str()}).status, 2);
    Rules("RuleMask=1\r\nRule0Text=\"Hi\"\r\n");
    EXPECT_EQ(Preview({"--pms"}).status, 2);
    EXPECT_EQ(Preview({"--pms", "ten"}).status, 2);
    EXPECT_EQ(Preview({"--pms", "99999999999"}).status, 2);
    EXPECT_EQ(Preview({"--color", "red"}).status, 2);
    const auto missing = RunDmctl({"greeting", "preview", (m_dir / "none").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no database directory"), std::string::npos) << missing.err;
    // A database directory without the file.
    std::filesystem::create_directories(m_dir / "empty");
    const auto noFile = RunDmctl({"greeting", "preview", (m_dir / "empty").string()});
    EXPECT_EQ(noFile.status, 1);
    EXPECT_NE(noFile.err.find("Dialmind.hw"), std::string::npos) << noFile.err;
}

} // namespace
