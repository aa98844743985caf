// dmctl capacity: Erlang B and the ports needed on the command line, and the
// per-hour table of a database whose day files the test writes.

#include <gtest/gtest.h>

#include "tests/dmctl/dmctlrunner.h"
#include "tests/support/tempdir.h"

#include <algorithm>

using namespace dm::test;

namespace {

// 1997-12-05 00:00 in TZ=Europe/Berlin; no clock change in December.
constexpr std::uint32_t kDec05 = 881276400;
constexpr std::uint32_t kDay = 86400;
constexpr std::uint32_t kHour = 3600;

std::string Hangup(std::uint32_t end, std::uint32_t duration)
{
    return std::to_string(end) + "=H" + std::to_string(duration) + "_DOM\\joe?0?0:IPX:NB\r\n";
}

std::string LineOf(const std::string& csv, const std::string& start)
{
    const std::size_t at = csv.find("\n" + start);
    if (at == std::string::npos)
        return {};
    return csv.substr(at + 1, csv.find('\n', at + 1) - at - 1);
}

class DmctlCapacityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Two ports; 10:00-11:00 and 10:30-11:00 on the first day, 10:00-10:30 on the second.
        WriteFile(m_db / "LogData" / "1997-Dec-05.log",
                  "[SRV\\COM1]\r\n" + Hangup(kDec05 + 11 * kHour, 3600) + std::to_string(kDec05 + 10 * kHour) +
                      "=C_DOM\\joe\r\n[SRV\\COM2]\r\n" + Hangup(kDec05 + 11 * kHour, 1800));
        WriteFile(m_db / "LogData" / "1997-Dec-06.log",
                  "[SRV\\COM1]\r\n" + Hangup(kDec05 + kDay + 10 * kHour + 1800, 1800));
        // Running at the window's end, logged on the day after: 23:30 to 00:30.
        WriteFile(m_db / "LogData" / "1997-Dec-07.log",
                  "[SRV\\COM3]\r\n" + Hangup(kDec05 + 2 * kDay + 1800, 3600));
    }

    DmctlResult Table(std::vector<std::string> extra)
    {
        std::vector<std::string> args{"capacity", m_db.str(), "--from", "1997-12-05", "--to", "1997-12-06"};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunDmctl(args);
    }

    TempDir m_db;
};

} // namespace

TEST(DmctlErlangTest, ErlangBAndPortsNeeded)
{
    // Published Erlang B tables: 10 E need 18 ports at 1 %, 100 E need 117.
    EXPECT_EQ(RunDmctl({"capacity", "ports", "--load", "10"}).out, "18\n");
    EXPECT_EQ(RunDmctl({"capacity", "ports", "--load", "100", "--gos", "0.01"}).out, "117\n");
    EXPECT_EQ(RunDmctl({"capacity", "ports", "--load", "50", "--gos", "1%"}).out, "64\n");
    EXPECT_EQ(RunDmctl({"capacity", "erlang-b", "--load", "2", "--ports", "2"}).out, "0.400000\n");
    EXPECT_EQ(RunDmctl({"capacity", "erlang-b", "--load", "0", "--ports", "0"}).out, "0.000000\n");

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{
             {"capacity", "ports", "--load", "ten"},
             {"capacity", "ports", "--load", "10", "--gos", "2"},
             {"capacity", "ports", "--load", "10", "--gos", "0%"},
             {"capacity", "ports", "--load", "-1"},
             {"capacity", "erlang-b", "--load", "2"},
             {"capacity", "erlang-b", "--load", "2", "--ports", "-3"},
             {"capacity", "erlang-b", "--load", "inf", "--ports", "3"},
         }) {
        const DmctlResult result = RunDmctl(bad);
        EXPECT_EQ(result.status, 2) << bad.back();
        EXPECT_TRUE(result.out.empty()) << bad.back();
        EXPECT_NE(result.err.find("dmctl capacity: "), std::string::npos) << bad.back();
    }
}

TEST_F(DmctlCapacityTest, CsvHasOneLinePerServerAndHourFromTheWindowsSessions)
{
    const DmctlResult result = Table({"--csv"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.substr(0, result.out.find('\n')),
              "Server,Hour,Carried (E),Peak,All busy (s),Offered (E),Blocking,Ports,Ports needed");
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 25);
    // 7,200 port-seconds over two days at 10:00, both ports busy for half an hour;
    // carried 1 E on 2 ports was offered √2 E.
    EXPECT_EQ(LineOf(result.out, "SRV,10:00"), "SRV,10:00,1.000,2,1800,1.414,0.2929,2,6");
    // The session over midnight counts up to the window's end; the port
    // only the day after names does not count.
    EXPECT_EQ(LineOf(result.out, "SRV,23:00"), "SRV,23:00,0.250,1,0,0.257,0.0255,2,3");
    EXPECT_EQ(LineOf(result.out, "SRV,03:00"), "SRV,03:00,0.000,0,0,0.000,0.0000,2,0");
}

TEST_F(DmctlCapacityTest, SessionLimitServerAndGradeOfService)
{
    // Every session cut at 20 minutes: 3 × 1,200 s at 10:00 over two days.
    EXPECT_EQ(LineOf(Table({"--csv", "--max-session", "1200"}).out, "SRV,10:00").substr(0, 20), "SRV,10:00,0.500,1,0,");
    // A looser grade needs fewer ports.
    EXPECT_EQ(LineOf(Table({"--csv", "--gos", "30%"}).out, "SRV,10:00"), "SRV,10:00,1.000,2,1800,1.414,0.2929,2,2");
    EXPECT_EQ(Table({"--csv", "--server", "srv"}).out, Table({"--csv"}).out);
    const std::string other = Table({"--csv", "--server", "OTHER"}).out;
    EXPECT_EQ(std::count(other.begin(), other.end(), '\n'), 1);
    const DmctlResult text = Table({});
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("SRV: 2 ports, 2 days from 1997-12-05 to 1997-12-06"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Busy hour 10:00"), std::string::npos);
    // One end given: the 30 days that end or begin with it.
    const DmctlResult ending = RunDmctl({"capacity", m_db.str(), "--to", "1997-12-06"});
    EXPECT_NE(ending.out.find("SRV: 2 ports, 30 days from 1997-11-07 to 1997-12-06"), std::string::npos) << ending.out;
    const DmctlResult beginning = RunDmctl({"capacity", m_db.str(), "--from", "1997-12-05"});
    EXPECT_NE(beginning.out.find("SRV: 3 ports, 30 days from 1997-12-05 to 1998-01-03"), std::string::npos)
        << beginning.out;
    const DmctlResult day = RunDmctl({"capacity", m_db.str(), "--from", "1997-12-05", "--to", "1997-12-05"});
    EXPECT_NE(day.out.find("SRV: 2 ports, 1 day from 1997-12-05 to 1997-12-05"), std::string::npos) << day.out;
}

TEST_F(DmctlCapacityTest, BadArgumentsFailWithAReason)
{
    struct Case {
        std::vector<std::string> args;
        std::string reason;
    };
    const std::vector<Case> cases{
        {{"capacity"}, "DBDIR or a command is missing"},
        {{"capacity", m_db.str(), "--from", "1997-02-31"}, "is no date"},
        {{"capacity", m_db.str(), "--from", "1997-12-05 10:00"}, "is no date"},
        {{"capacity", m_db.str(), "--from", "1997-12-06", "--to", "1997-12-05"}, "must not be before"},
        {{"capacity", m_db.str(), "--gos", "1.5"}, "--gos needs"},
        {{"capacity", m_db.str(), "--max-session", "0"}, "--max-session needs"},
        {{"capacity", m_db.str(), "--max-session", "-5"}, "--max-session needs"},
        {{"capacity", m_db.str(), "--ports", "3"}, "unknown option"},
        {{"capacity", m_db.str(), "--from", "1990-01-01", "--to", "2020-01-01"}, "ten years"},
    };
    for (const Case& c : cases) {
        const DmctlResult result = RunDmctl(c.args);
        EXPECT_EQ(result.status, 2) << c.reason;
        EXPECT_NE(result.err.find(c.reason), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty()) << c.reason;
    }
    const DmctlResult unreachable = RunDmctl({"capacity", "\\\\NOWHERE\\DM_NT_DB"});
    EXPECT_EQ(unreachable.status, 1);
    EXPECT_NE(unreachable.err.find("cannot reach"), std::string::npos) << unreachable.err;
    const DmctlResult help = RunDmctl({"capacity", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Server,Hour,Carried (E)"), std::string::npos);
}
