// dmctl users prints the users view's Save As text for a filter.

#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "tests/dmctl/dmctlrunner.h"
#include "tests/support/tempdir.h"

using namespace dm::test;

namespace {

class DmctlUsersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(m_db / "Dialmind.usr",
                  "[OSTERHALL\\anna]\r\nTotalConnects=12\r\nTotalDenieds=1\r\nTotalTime=90061\r\nLasted=0\r\n"
                  "[FIELD\\anna]\r\nTotalConnects=2\r\nTotalTime=3600\r\n"
                  "[OSTERHALL\\bert]\r\nTotalConnects=3\r\nTotalTime=59\r\n");
    }
    TempDir m_db;
};

} // namespace

TEST_F(DmctlUsersTest, PrintsTheViewsRowsForEachFilter)
{
    const std::string header = "User,Sessions,Denials,Last Session,Lasted,Total Time\n";
    auto all = RunDmctl({"users", m_db.str()});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.out, header + "OSTERHALL\\bert,3,0, , ,00:00,\n" + "FIELD\\anna,2,0, , ,01:00,\n" +
                           "OSTERHALL\\anna,12,1, , ,25:01,\n");
    EXPECT_EQ(RunDmctl({"users", m_db.str(), "--domain", "osterhall", "--user", "ANNA"}).out,
              header + "OSTERHALL\\anna,12,1, , ,25:01,\n");
    EXPECT_EQ(RunDmctl({"users", "--user", "nobody", m_db.str()}).out, header);
}

TEST_F(DmctlUsersTest, BadWordsAndAMissingFileAreErrors)
{
    EXPECT_EQ(RunDmctl({"users"}).status, 2);
    EXPECT_EQ(RunDmctl({"users", m_db.str(), "--group", "NoDomain"}).status, 2);
    EXPECT_EQ(RunDmctl({"users", m_db.str(), "--colour"}).status, 2);
    const auto missing = RunDmctl({"users", (m_db / "nothing").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("no database directory"), std::string::npos);
    const auto help = RunDmctl({"users", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: dmctl users DBDIR"), std::string::npos);
}

TEST_F(DmctlUsersTest, SortsAsHeaderClicksDo)
{
    const std::string header = "User,Sessions,Denials,Last Session,Lasted,Total Time\n";
    const std::string anna = "OSTERHALL\\anna,12,1, , ,25:01,\n";
    const std::string field = "FIELD\\anna,2,0, , ,01:00,\n";
    const std::string bert = "OSTERHALL\\bert,3,0, , ,00:00,\n";
    // A first click sorts figures descending, a second ascending.
    auto sessions = RunDmctl({"users", m_db.str(), "--sort", "sessions"});
    EXPECT_EQ(sessions.status, 0) << sessions.err;
    EXPECT_EQ(sessions.out, header + anna + bert + field);
    EXPECT_EQ(RunDmctl({"users", m_db.str(), "--sort", "Sessions", "--reverse"}).out, header + field + bert + anna);
    EXPECT_EQ(RunDmctl({"users", m_db.str(), "--sort", "Total Time", "--reverse"}).out, header + bert + field + anna);
    EXPECT_EQ(RunDmctl({"users", m_db.str(), "--sort", "colour"}).status, 2);
    EXPECT_EQ(RunDmctl({"users", m_db.str(), "--reverse"}).status, 2);
}

TEST(DmctlUsersCodePageTest, CodePageBytesPrintAsTheirLetters)
{
    TempDir db;
    WriteFile(db / "Dialmind.usr", "[DOM\\Jos\xe9]\r\nTotalConnects=2\r\n[DOM\\Zo\xc3\xab]\r\nTotalConnects=1\r\n");
    auto run = RunDmctl({"users", db.str(), "--sort", "user"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("DOM\\Jos\u00e9,2,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("DOM\\Zo\u00eb,1,"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find('\xe9'), std::string::npos) << "no lone code page byte is left";
}

// A file as several writers leave it (a preamble, groups, a repeated section
// and repeated keys, LF, CR and CRLF lines, quotes, blanks, numbers out of
// range, a last line without an end) prints the rows it printed when every
// section was read on its own: the files under tests/data/users are that
// output.
TEST(DmctlUsersRowsTest, PrintTheRowsTheyPrintedBefore)
{
    const std::filesystem::path data = std::filesystem::path(DM_TESTDATA_DIR) / "users";
    TempDir db;
    WriteFile(db / "Dialmind.usr", ReadFile(data / "Dialmind.usr"));
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{}, "all.csv"},
        {{"--user", "ANNA"}, "user-anna.csv"},
        {{"--domain", "field"}, "domain-field.csv"},
        {{"--sort", "total"}, "sort-total.csv"},
        {{"--sort", "last", "--reverse"}, "sort-last-reverse.csv"},
    };
    for (const auto& [options, expected] : cases) {
        std::vector<std::string> args = {"users", db.str()};
        args.insert(args.end(), options.begin(), options.end());
        const auto result = RunDmctl(args);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, ReadFile(data / expected)) << expected;
    }
}
