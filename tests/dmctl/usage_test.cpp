// dmctl usage prints the usage graph's figures; they are checked here
// against shares worked out in the test from the sessions it logged.

#include <gtest/gtest.h>

#include "tests/dmctl/dmctlrunner.h"
#include "tests/support/tempdir.h"

#include <algorithm>
#include <cstdlib>

using namespace dm::test;

namespace {

// 1997-12-05 00:00 in TZ=Europe/Berlin.
constexpr std::uint32_t kDec05 = 881276400;
constexpr std::uint32_t kHour = 3600;
constexpr std::uint32_t kFrom = kDec05 + 8 * kHour;
constexpr std::uint32_t kTo = kDec05 + 12 * kHour;

struct Logged {
    std::uint32_t end;
    std::uint32_t duration;
};

// The busy share of [kFrom, kTo] that the sessions cover, in whole percent.
int BusyPercent(const std::vector<Logged>& sessions)
{
    std::uint64_t busy = 0;
    for (const Logged& s : sessions) {
        const std::uint32_t start = std::max(s.end - s.duration, kFrom);
        const std::uint32_t end = std::min(s.end, kTo);
        if (end > start)
            busy += end - start;
    }
    return static_cast<int>(std::min<std::uint64_t>(busy, kTo - kFrom) * 100 / (kTo - kFrom));
}

std::string Line(const std::string& label, const std::vector<Logged>& sessions)
{
    const int busy = BusyPercent(sessions);
    return label + "," + std::to_string(100 - busy) + "," + std::to_string(busy) + "\n";
}

std::string Hangup(const Logged& s)
{
    return std::to_string(s.end) + "=H" + std::to_string(s.duration) + "_DOM\\joe?0?0:IPX:NB\r\n";
}

class DmctlUsageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(m_db / "LogData" / "1997-Dec-05.log",
                  "[SRV\\COM1]\r\n" + Hangup(m_com1[0]) + Hangup(m_com1[1]) + Hangup(m_com1[2]) +
                      "[SRV\\COM2]\r\n" + Hangup(m_com2[0]) + "[SRV\\COM3]\r\n" +
                      std::to_string(kFrom + 60) + "=C_DOM\\ann\r\n");
        // Still running at the window's end: logged on the next day.
        WriteFile(m_db / "LogData" / "1997-Dec-06.log",
                  "[SRV\\COM2]\r\n" + Hangup(m_com2[1]) + "[SRV\\COM4]\r\n" + Hangup({kDec05 + 25 * kHour, 600}));
    }

    TempDir m_db;
    // Before, across the start, inside, and after the window.
    std::vector<Logged> m_com1{{kFrom + 30 * 60, 3600}, {kFrom + kHour, 1800}, {kTo + 2 * kHour, 600}};
    std::vector<Logged> m_com2{{kTo + 30 * 60, 3600}, {kDec05 + 24 * kHour + 30 * 60, 14 * kHour}};
};

TEST_F(DmctlUsageTest, LoggedPrintsEachPortOfTheWindowsDayFilesWithItsShares)
{
    const std::string expected = "Item,Free(%),Busy(%)\n" + Line("SRV\\COM1", m_com1) + Line("SRV\\COM2", m_com2) +
                                 Line("SRV\\COM3", {});
    // SRV\COM3's connect has no end in the days read, which end long before
    // now: its session is not counted as running.
    auto byNumber = RunDmctl(
        {"usage", m_db.str(), "--from", std::to_string(kFrom), "--to", std::to_string(kTo), "--logged"});
    EXPECT_EQ(byNumber.status, 0) << byNumber.err;
    EXPECT_EQ(byNumber.out, expected);
    // The shares themselves, so that a wrong helper cannot hide a wrong program.
    EXPECT_EQ(Line("SRV\\COM1", m_com1), "SRV\\COM1,75,25\n");
    EXPECT_EQ(Line("SRV\\COM2", m_com2), "SRV\\COM2,50,50\n");

    auto byDate = RunDmctl(
        {"usage", m_db.str(), "--logged", "--from", "1997-12-05 08:00", "--to", "1997-12-05 12:00:00"});
    EXPECT_EQ(byDate.out, expected) << byDate.err;
}

TEST_F(DmctlUsageTest, ServerAndPortFilterTheRowsAsTheTreeSelectionDoes)
{
    const std::vector<std::string> window{"--from", std::to_string(kFrom), "--to", std::to_string(kTo)};
    auto run = [&](std::vector<std::string> extra) {
        std::vector<std::string> args{"usage", m_db.str(), "--logged"};
        args.insert(args.end(), window.begin(), window.end());
        args.insert(args.end(), extra.begin(), extra.end());
        return RunDmctl(args);
    };
    EXPECT_EQ(run({"--server", "srv", "--port", "com2"}).out, "Item,Free(%),Busy(%)\n" + Line("srv\\com2", m_com2));
    // A port is listed even when the window holds nothing of it.
    EXPECT_EQ(run({"--server", "SRV", "--port", "COM9"}).out, "Item,Free(%),Busy(%)\nSRV\\COM9,100,0\n");
    EXPECT_EQ(run({"--server", "OTHER"}).out, "Item,Free(%),Busy(%)\n");
    EXPECT_EQ(run({"--server", "srv"}).out.find("SRV\\COM3,100,0\n") != std::string::npos, true);
}

TEST_F(DmctlUsageTest, BadArgumentsFailWithAReason)
{
    const std::string from = std::to_string(kFrom);
    const std::string to = std::to_string(kTo);
    struct Case {
        std::vector<std::string> args;
        std::string reason;
    };
    const std::vector<Case> cases{
        {{"usage", "--from", from, "--to", to}, "DBDIR is missing"},
        {{"usage", m_db.str(), "--from", from}, "--from and --to are needed"},
        {{"usage", m_db.str(), "--from", to, "--to", from}, "later than"},
        {{"usage", m_db.str(), "--from", "1997-13-01", "--to", to}, "is no time"},
        {{"usage", m_db.str(), "--from", "1997-12-05x", "--to", to}, "is no time"},
        {{"usage", m_db.str(), "--from", "4294967296", "--to", to}, "is no time"},
        {{"usage", m_db.str(), "--from", from, "--to", to, "--port", "COM1"}, "--port needs --server"},
        {{"usage", m_db.str(), "--from", from, "--to", to, "--colour"}, "unknown option"},
        {{"usage", m_db.str(), "--from", from, "--to"}, "--to needs a value"},
        {{"usage", m_db.str(), "--from", from, "--to", to, "--logged", "--network"}, "exclude each other"},
    };
    for (const Case& c : cases) {
        auto result = RunDmctl(c.args);
        EXPECT_NE(result.status, 0) << c.reason;
        EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty());
    }
    auto help = RunDmctl({"usage", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Item,Free(%),Busy(%)"), std::string::npos);
}

TEST_F(DmctlUsageTest, ByDefaultTheMonitoredServersPortsAreListedAsThePaneListsThem)
{
    const std::string root = (m_db / "net").string();
    ::setenv("DIALMIND_NETWORK", root.c_str(), 1);
    ::setenv("DIALMIND_COMPUTERNAME", "TESTHOST", 1);
    ::unsetenv("DIALMIND_RASSAPI");
    ASSERT_EQ(0, RunDmctl({"net", "init", root}).status);
    ASSERT_EQ(0, RunDmctl({"net", "add-computer", "SRV"}).status);
    ASSERT_EQ(0, RunDmctl({"net", "add-port", "SRV", "COM2"}).status);
    ASSERT_EQ(0, RunDmctl({"net", "add-port", "SRV", "COM7"}).status);
    // The server component's key makes it a server the manager reads ports of.
    ASSERT_EQ(0, RunDmctl({"reg", "set", "SRV", "Software\\Microsoft\\RAS\\AdminDLL", "Version", "--sz", "1.40"})
                     .status);
    ASSERT_EQ(0, RunDmctl({"reg", "set", ".", "Software\\Osterhall Software\\Dialminder\\Servers\\SRV", "Note",
                           "--sz", "monitored"})
                     .status);
    const std::string expected = "Item,Free(%),Busy(%)\n" + Line("SRV\\COM2", m_com2) + "SRV\\COM7,100,0\n";
    auto result = RunDmctl({"usage", m_db.str(), "--from", std::to_string(kFrom), "--to", std::to_string(kTo)});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, expected);
    // "--network" names the default.
    EXPECT_EQ(RunDmctl({"usage", m_db.str(), "--from", std::to_string(kFrom), "--to", std::to_string(kTo),
                        "--network"})
                  .out,
              expected);
    ::unsetenv("DIALMIND_NETWORK");
}

} // namespace
