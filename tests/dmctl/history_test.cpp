#include <gtest/gtest.h>

#include "tests/dmctl/dmctlrunner.h"
#include "tests/support/tempdir.h"

using namespace dm::test;

namespace {

constexpr const char* kDec05Noon = "881319600"; // 1997-12-05 12:00 in TZ=Europe/Berlin
constexpr const char* kMask = "0x27E";          // server to IP, and lasted

class DmctlHistoryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(m_db / "LogData" / "1997-Dec-05.log",
                  "[EAST\\COM2]\r\n"
                  "881319600=C_ACME\\anna\r\n"
                  "881323200=H3725_ACME\\anna?-1062731775?0::\r\n"
                  "[EAST\\COM10]\r\n"
                  "881319700=N_ACME\\bob?9\r\n"
                  "881319800=H60_OTHER\\carl?0?1:0000000A.00C0A8000001:CARLPC\r\n");
    }
    DmctlResult History(std::vector<std::string> extra)
    {
        std::vector<std::string> args = {"history", m_db.str(), "--scope", "1", "--date", kDec05Noon};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunDmctl(args);
    }
    static std::string Golden(const std::string& name)
    {
        return ReadFile(std::filesystem::path(DM_TESTDATA_DIR) / "history" / name);
    }
    // The port column of each line after the header.
    static std::vector<std::string> Ports(const std::string& out)
    {
        std::vector<std::string> ports;
        std::size_t line = out.find('\n') + 1;
        while (line < out.size()) {
            const std::size_t first = out.find(',', line);
            const std::size_t second = out.find(',', first + 1);
            const std::size_t third = out.find(',', second + 1);
            ports.push_back(out.substr(second + 1, third - second - 1));
            line = out.find('\n', line) + 1;
        }
        return ports;
    }
    TempDir m_db;
};

} // namespace

TEST_F(DmctlHistoryTest, PrintsWhatTheWindowsSaveAsWrites)
{
    // The same golden file as the window's Save As of the same records.
    auto all = History({"--columns", kMask});
    EXPECT_EQ(all.status, 0) << all.err;
    EXPECT_EQ(all.out, Golden("saved-all.csv"));
    auto range = RunDmctl({"history", m_db.str(), "--from", "881300000", "--to", "881330000", "--columns", "638"});
    EXPECT_EQ(range.out, Golden("saved-all.csv"));
    // TIME is also a local date, as in every command that takes it.
    auto dates = RunDmctl({"history", m_db.str(), "--from", "1997-12-05", "--to", "1997-12-05", "--columns", "638"});
    EXPECT_EQ(dates.out, Golden("saved-all.csv")) << dates.err;
    auto day = RunDmctl({"history", m_db.str(), "--scope", "1", "--date", "1997-12-05 23:59:59", "--columns", "638"});
    EXPECT_EQ(day.out, Golden("saved-all.csv")) << day.err;

    auto seconds = History({"--columns", "0x201", "--seconds", "--user", "ANNA"});
    EXPECT_EQ(seconds.out, "Time/Date,Lasted\n12/05/97 13:00:00,3725,\n12/05/97 12:00:00, ,\n");
    auto server = History({"--columns", "1", "--server", "west"});
    EXPECT_EQ(server.out, "Time/Date\n");
    auto domain = History({"--columns", "0x20", "--domain", "other", "--port", "COM10"});
    EXPECT_EQ(domain.out, "Time/Date,User\n12/05/97 12:03:20,OTHER\\carl,\n");
}

TEST_F(DmctlHistoryTest, SortsAsHeaderClicksDo)
{
    EXPECT_EQ(Ports(History({"--columns", kMask, "--sort", "port"}).out),
              (std::vector<std::string>{"COM2", "COM2", "COM10", "COM10"}));
    EXPECT_EQ(Ports(History({"--columns", kMask, "--sort", "port", "--reverse"}).out),
              (std::vector<std::string>{"COM10", "COM10", "COM2", "COM2"}));
    // Time with one click: the latest first, as the list opens; a second click turns it.
    EXPECT_EQ(History({"--columns", kMask, "--sort", "time"}).out, Golden("saved-all.csv"));
    auto reversed = History({"--columns", "1", "--reverse"});
    EXPECT_EQ(reversed.out, "Time/Date\n12/05/97 12:00:00,\n12/05/97 12:01:40,\n12/05/97 12:03:20,\n"
                            "12/05/97 13:00:00,\n");
}

TEST_F(DmctlHistoryTest, BadArgumentsAndUnknownDomainsFail)
{
    auto help = RunDmctl({"history", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--group DOMAIN\\G"), std::string::npos);
    EXPECT_EQ(History({"--sort", "colour"}).status, 2);
    auto hidden = History({"--columns", "1", "--sort", "port"});
    EXPECT_EQ(hidden.status, 2);
    EXPECT_NE(hidden.err.find("not shown"), std::string::npos);
    EXPECT_EQ(History({"--columns", "0x400"}).status, 2);
    EXPECT_EQ(History({"--columns", "-1"}).status, 2);
    EXPECT_EQ(History({"--group", "Staff"}).status, 2);
    EXPECT_EQ(History({"--group", "ACME\\Staff", "--domain", "OTHER"}).status, 2);
    EXPECT_EQ(RunDmctl({"history", m_db.str()}).status, 2);
    EXPECT_EQ(RunDmctl({"history", m_db.str(), "--scope", "1", "--date", "1", "--from", "1", "--to", "2"}).status, 2);
    EXPECT_EQ(History({"--bogus"}).status, 2);

    auto group = History({"--columns", "1", "--group", "NOWHERE\\Staff"});
    EXPECT_EQ(group.status, 1);
    EXPECT_NE(group.err.find("Error getting PDC ("), std::string::npos);
    EXPECT_EQ(group.out, "Time/Date\n");
}

namespace {

// A network of the test's own, so that the manager's stored options it
// writes reach no other test.
class DmctlHistoryOptionsTest : public DmctlHistoryTest {
protected:
    void SetUp() override
    {
        DmctlHistoryTest::SetUp();
        if (const char* old = std::getenv("DIALMIND_NETWORK"))
            m_oldNetwork = old;
        const std::string root = (m_net / "net").string();
        ::setenv("DIALMIND_NETWORK", root.c_str(), 1);
        ASSERT_EQ(RunDmctl({"net", "init", root}).status, 0);
    }
    void TearDown() override
    {
        if (m_oldNetwork.empty())
            ::unsetenv("DIALMIND_NETWORK");
        else
            ::setenv("DIALMIND_NETWORK", m_oldNetwork.c_str(), 1);
    }
    void Store(const std::string& name, const std::string& value)
    {
        ASSERT_EQ(RunDmctl({"reg", "set", ".", "Software\\Osterhall Software\\Dialminder\\System", name, "--dword",
                            value})
                      .status,
                  0);
    }
    TempDir m_net;
    std::string m_oldNetwork;
};

} // namespace

TEST_F(DmctlHistoryOptionsTest, WhatIsNotGivenFollowsTheStoredHistoryOptions)
{
    Store("HistoryViewColumns", "513"); // time and lasted
    Store("HistoryViewSeconds", "1");
    Store("BrowseScope", "2");
    const std::string inSeconds = "Time/Date,Lasted\n12/05/97 13:00:00,3725,\n12/05/97 12:00:00, ,\n";
    const std::string asClock = "Time/Date,Lasted\n12/05/97 13:00:00,01:02:05,\n12/05/97 12:00:00, ,\n";
    // The stored mask and the stored seconds option, as the pane shows them.
    auto stored = RunDmctl({"history", m_db.str(), "--scope", "1", "--date", kDec05Noon, "--user", "anna"});
    EXPECT_EQ(stored.status, 0) << stored.err;
    EXPECT_EQ(stored.out, inSeconds);
    EXPECT_EQ(RunDmctl({"history", m_db.str(), "--scope", "1", "--date", kDec05Noon, "--user", "anna", "--hhmmss"})
                  .out,
              asClock);
    EXPECT_EQ(RunDmctl({"history", m_db.str(), "--scope", "1", "--date", kDec05Noon, "--seconds", "--hhmmss"}).status,
              2);
    // The stored scope: seven days from the day before still hold Dec 5.
    auto scope = RunDmctl({"history", m_db.str(), "--date", "881233200", "--user", "anna"});
    EXPECT_EQ(scope.status, 0) << scope.err;
    EXPECT_EQ(scope.out, inSeconds);
    Store("BrowseScope", "1");
    EXPECT_EQ(RunDmctl({"history", m_db.str(), "--date", "881233200", "--user", "anna"}).out, "Time/Date,Lasted\n");
    Store("HistoryViewSeconds", "0");
    EXPECT_EQ(RunDmctl({"history", m_db.str(), "--date", kDec05Noon, "--user", "anna"}).out, asClock);
}
