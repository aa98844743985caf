// The simulation stepped as the live service steps it: greetings and
// notices, an administrator's disconnect, limits changed while sessions
// run, and the idle timer.

#include "historyfixture.h"

#include "netemu/simulation.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <iostream>

namespace fs = std::filesystem;
using namespace dm;
using namespace dm::netemu;
using namespace dm::netemu::test;

namespace {

struct Message {
    std::string server, computer, text;
    std::uint32_t time;
};

class SimulationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dm::test::WriteFile(dir.path() / "Dialmind.hw",
                            "[RAS1\\COM1]\r\nMaxSessionTime=0\r\n"
                            "[General]\r\nNotify1=300\r\nNotify1Text=\"Five minutes left\"\r\n"
                            "Notify2=60\r\nNotify2Text=\"One minute left\"\r\n"
                            "[Greetings]\r\nRuleMask=3\r\nRule0Text=\"Hello #UNAME\"\r\nRule1Text=\"You have #UMS s\"\r\n");
        dm::test::WriteFile(dir.path() / "Dialmind.usr", "[DOM\\joe]\r\nMaxSessionTime=1000\r\n");
        db = std::make_unique<Database>(dir.str());
        db->Load();
    }
    std::unique_ptr<Simulation> Make(std::uint32_t idleMinutes = 0, CallerModel model = {})
    {
        ServerSetup server;
        server.name = "RAS1";
        server.ports = {{"COM1", PoolAddress("RAS1", 0)}, {"COM2", PoolAddress("RAS1", 1)}};
        CallerProfile joe;
        joe.identity.account = "DOM\\joe";
        joe.computerName = "JOE-PC";
        server.callers = {joe};
        server.database = db.get();
        server.idleMinutes = idleMinutes;
        model.callsPerPortPerPeakHour = 6;
        model.secondLineShare = 0;
        auto sim = std::make_unique<Simulation>(std::vector<ServerSetup>{server}, 9, start, model);
        sim->SetMessageSink([this](const std::string& s, const std::string& c, const std::string& t, std::uint32_t at) {
            messages.push_back({s, c, t, at});
        });
        return sim;
    }
    // Steps a minute at a time until a session runs; the port's index.
    std::size_t RunUntilSession(Simulation& sim)
    {
        for (std::uint32_t t = sim.Now(); t < start + 7 * 86400; t += 60) {
            sim.RunUntil(t);
            for (std::size_t p = 0; p < 2; ++p)
                if (sim.Servers()[0].ports[p].session)
                    return p;
        }
        ADD_FAILURE() << "no session in a week";
        return 0;
    }
    std::vector<Session> Sessions()
    {
        db->FlushAll();
        return PairSessions(ReadHistory(dir.path()));
    }

    dm::test::TempDir dir;
    std::unique_ptr<Database> db;
    std::vector<Message> messages;
    const std::uint32_t start = 1772438400; // Monday, 2 March 2026, 09:00 in Berlin
};

TEST_F(SimulationTest, GreetsOnConnectAndWarnsBeforeTheLimit)
{
    auto sim = Make();
    sim->RunUntil(start + 2 * 86400);
    sim->Drain();
    const auto sessions = Sessions();
    ASSERT_GT(sessions.size(), 5u);
    int cut = 0, leftBetweenNoticeAndCut = 0, expected = 0;
    for (const Session& session : sessions) {
        auto sent = [&](const std::string& text, std::uint32_t at) {
            for (const Message& m : messages)
                if (m.text == text && m.time == at && m.computer == "JOE-PC" && m.server == "RAS1")
                    return true;
            return false;
        };
        EXPECT_TRUE(sent("Hello joe You have 1000 s ", session.start)) << session.start;
        if (session.reason == EndUserMaxSession) {
            ++cut;
            EXPECT_EQ(session.duration, 1000);
        }
        // A notice is due when the session reaches its lead time before the
        // planned cut, whether or not the caller hangs up before the cut.
        const bool first = session.duration > 700, second = session.duration > 940;
        EXPECT_EQ(sent("Five minutes left", session.start + 700), first) << session.start;
        EXPECT_EQ(sent("One minute left", session.start + 940), second) << session.start;
        expected += first + second;
        leftBetweenNoticeAndCut += first && session.reason == EndNoReason;
    }
    EXPECT_GT(cut, 0);
    EXPECT_GT(leftBetweenNoticeAndCut, 0) << "some callers hung up after a notice and before the cut";
    int notices = 0;
    for (const Message& m : messages)
        notices += m.text.find("left") != std::string::npos;
    EXPECT_EQ(notices, expected) << "no notice for a session that ended before its lead time";
}

TEST_F(SimulationTest, AnAdministratorsDisconnectEndsTheSessionWithoutReason)
{
    auto sim = Make();
    const std::size_t port = RunUntilSession(*sim);
    const std::uint32_t started = sim->Servers()[0].ports[port].session->start;
    const std::uint32_t at = sim->Now() + 5;
    ASSERT_TRUE(sim->Disconnect(0, port, at));
    EXPECT_FALSE(sim->Servers()[0].ports[port].session);
    EXPECT_FALSE(sim->Disconnect(0, port, at)) << "nothing left to disconnect";
    const auto sessions = Sessions();
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(sessions[0].reason, EndNoReason);
    EXPECT_EQ(sessions[0].start, started);
    EXPECT_EQ(sessions[0].end, at);
    EXPECT_EQ(db->Users().FindAccount("DOM\\joe")->totalTime, std::int32_t(at - started));
    EXPECT_EQ(db->Users().FindAccount("DOM\\joe")->lasted, std::int32_t(at - started));
}

TEST_F(SimulationTest, TighterLimitsCutRunningSessionsAtOnce)
{
    auto sim = Make();
    const std::size_t port = RunUntilSession(*sim);
    const std::uint32_t started = sim->Servers()[0].ports[port].session->start;
    sim->RunUntil(started + 200);
    db->Users().FindAccount("DOM\\joe")->maxSessionTime = 100;
    sim->PoliciesChanged(*db);
    sim->RunUntil(started + 200);
    ASSERT_FALSE(sim->Servers()[0].ports[port].session);
    const auto sessions = Sessions();
    ASSERT_FALSE(sessions.empty());
    EXPECT_EQ(sessions.back().reason, EndUserMaxSession);
    EXPECT_EQ(sessions.back().end, started + 200) << "cut when the change was seen, not back in time";
}

TEST_F(SimulationTest, IdleLinesAreCutAfterTheIdleTimer)
{
    CallerModel model;
    model.idleShare = 1.0; // every caller walks away
    auto sim = Make(2, model);
    db->Users().FindAccount("DOM\\joe")->maxSessionTime = 0;
    sim->RunUntil(start + 86400);
    sim->Drain();
    const auto sessions = Sessions();
    ASSERT_GT(sessions.size(), 3u);
    for (const Session& session : sessions)
        EXPECT_EQ(session.reason, EndIdleTimeout) << session.start;
}

TEST_F(SimulationTest, StoppingTheServiceEndsEverySessionAsAHangUp)
{
    auto sim = Make();
    RunUntilSession(*sim);
    sim->HangUpAll(sim->Now() + 1);
    for (const SimPort& port : sim->Servers()[0].ports) {
        EXPECT_FALSE(port.session);
        EXPECT_EQ(port.condition, LineCondition::Listening);
    }
    const auto sessions = Sessions();
    ASSERT_FALSE(sessions.empty());
    EXPECT_EQ(sessions.back().reason, EndNoReason);
    EXPECT_EQ(db->Users().FindAccount("DOM\\joe")->totalConnects, std::int32_t(sessions.size()));
}

} // namespace

namespace {

// RAS1 runs the server component; RAS2 has only the RAS service. The
// component cannot see sessions on RAS2, so an account that may hold one port
// only is refused as "already connected" only for a port it holds on RAS1.
TEST_F(SimulationTest, DuplicateLogonsCountOnlySessionsWhereTheComponentRuns)
{
    dm::test::WriteFile(dir.path() / "Dialmind.usr", "[DOM\\joe]\r\nNoDuplicate=1\r\n");
    db->Load();
    CallerProfile joe;
    joe.identity.account = "DOM\\joe";
    joe.computerName = "JOE-PC";
    ServerSetup ras1;
    ras1.name = "RAS1";
    ras1.ports = {{"COM1", PoolAddress("RAS1", 0)}, {"COM2", PoolAddress("RAS1", 1)}};
    ras1.callers = {joe};
    ras1.database = db.get();
    ServerSetup ras2 = ras1;
    ras2.name = "RAS2";
    ras2.ports = {{"COM1", PoolAddress("RAS2", 0)}, {"COM2", PoolAddress("RAS2", 1)}};
    ras2.database = nullptr;
    CallerModel model;
    model.callsPerPortPerPeakHour = 60;
    model.secondLineShare = 0;
    Simulation sim({ras1, ras2}, 4, start, model);
    sim.RunUntil(start + 2 * 86400);
    sim.Drain();
    db->FlushAll();

    const auto records = ReadHistory(dir.path());
    const auto sessions = PairSessions(records);
    ASSERT_GT(sessions.size(), 20u);
    int denied = 0;
    for (const ReadRecord& r : records) {
        if (r.kind != 2 || r.reason != DenyAlreadyConnected)
            continue;
        ++denied;
        bool heldOnRas1 = false;
        for (const Session& s : sessions)
            heldOnRas1 |= s.start <= r.time && r.time <= s.end;
        EXPECT_TRUE(heldOnRas1) << "refused at " << r.time << " for a session the component cannot see";
    }
    std::cout << denied << " refusals for a second port on RAS1\n";
}

} // namespace
