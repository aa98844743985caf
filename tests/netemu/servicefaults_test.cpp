// The RAS service's own behaviour beside the server component: ports out of
// service take no calls and keep their conditions, the service's idle
// disconnect, history generated only on days without records, and a live
// run that starts after the last logged event.

#include "historyfixture.h"

#include "common/timeformat.h"
#include "netemu/liveservice.h"
#include "netemu/loggedhistory.h"
#include "netemu/simulation.h"
#include "platform/accounts/accountdatabase.h"
#include "platform/system/netbuiltin.h"
#include "platform/files/network.h"
#include "platform/files/profile.h"
#include "platform/ras/rasportstore.h"
#include "platform/registry/registry.h"
#include "tests/support/childprocess.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace dm;
using namespace dm::netemu;
using namespace dm::netemu::test;

namespace {

constexpr std::uint32_t kMonday = 1772438400; // Monday, 2 March 2026, a working morning

// RAS1 with the server component and four ports, PLAIN with RAS only; the
// domain DOM has three people who dial in.
class ServiceNetwork : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("DIALMIND_NETWORK", net.str().c_str(), 1);
        Network::AddComputer("DC1");
        const fs::path ras1 = Network::AddComputer("RAS1");
        Network::AddComputer("PLAIN");
        const std::string networkIni = (net.path() / "network.ini").string();
        WritePrivateProfileString("Domain:DOM", "Controller", "DC1", networkIni);
        WritePrivateProfileString("Domain:DOM", "Servers", "DC1,RAS1,PLAIN", networkIni);
        std::vector<UserAccount> users;
        for (const char* name : {"joe", "ann", "bob"}) {
            UserAccount user;
            user.name = name;
            user.rasPrivilege = 9;
            users.push_back(user);
        }
        ASSERT_EQ(AccountDatabase("DC1").Store(users, {}, {}), 0u);
        ASSERT_EQ(AccountDatabase("DC1").SetDomainName("DOM"), 0u);
        for (const char* computer : {"RAS1", "PLAIN"})
            for (const char* port : {"COM1", "COM2", "COM3", "COM4"}) {
                RasPortRecord record;
                record.name = port;
                record.deviceType = "Modem";
                record.lineSpeed = 28800;
                ASSERT_EQ(RasPortStore(computer).SavePort(record), 0u);
            }
        fs::create_directories(ras1 / "windows" / "system32");
        dm::test::WriteFile(ras1 / "windows" / "system32" / "dialmind.dll", "component");
        fs::create_directories(DbDir());
        ASSERT_EQ(SetShare("RAS1", "DM_NT_DB", "C:\\Dialmind\\DB"), 0u);
        dm::test::WriteFile(DbDir() / "Dialmind.hw", "[Default]\r\nAssignDefault=1\r\n");
        RegKey hive, key;
        ASSERT_EQ(RegOpenHive("RAS1", hive), 0u);
        ASSERT_EQ(hive.CreateKey("Software\\Microsoft\\RAS\\AdminDLL", key), 0u);
        key.SetString("DLLPath", "C:\\WINNT\\system32\\dialmind.dll");
        key.SetString("MasterShare", "\\\\RAS1\\DM_NT_DB");
    }
    void TearDown() override { unsetenv("DIALMIND_NETWORK"); }
    fs::path DbDir() const { return net.path() / "machines" / "RAS1" / "drives" / "C" / "Dialmind" / "DB"; }
    void SetAutoDisconnect(const std::string& computer, std::uint32_t minutes)
    {
        RegKey hive, key;
        ASSERT_EQ(RegOpenHive(computer, hive), 0u);
        ASSERT_EQ(hive.CreateKey("System\\CurrentControlSet\\Services\\RemoteAccess\\Parameters", key), 0u);
        ASSERT_EQ(key.SetDword("AutoDisconnect", minutes), 0u);
    }
    void SetConditions(const std::string& computer, const std::string& port, std::uint32_t line,
                       std::uint32_t hardware)
    {
        RasPortRecord record;
        ASSERT_EQ(RasPortStore(computer).Find(port, record), 0u);
        record.lineCondition = line;
        record.hardwareCondition = hardware;
        ASSERT_EQ(RasPortStore(computer).SavePort(record), 0u);
    }
    static LiveOptions Busy()
    {
        LiveOptions options;
        options.model.callsPerPortPerPeakHour = 12;
        options.model.sessionMedianSeconds = 1800;
        options.model.secondLineShare = 0;
        return options;
    }

    dm::test::TempDir net;
};

} // namespace

TEST_F(ServiceNetwork, PortsOutOfServiceTakeNoCallsAndKeepTheirConditions)
{
    SetConditions("RAS1", "COM3", 1, 3); // not operational, hardware failure
    SetConditions("RAS1", "COM4", 4, 3); // waiting, but the modem failed
    const auto servers = ScanNetwork();
    ASSERT_EQ(servers.size(), 2u);
    EXPECT_TRUE(servers[1].ports[2].outOfService);
    EXPECT_TRUE(servers[1].ports[3].outOfService);
    EXPECT_FALSE(servers[1].ports[0].outOfService);

    LiveService service(servers, Busy(), kMonday);
    RasPortStore store("RAS1");
    RasPortRecord com3, com4;
    int busyTicks = 0;
    for (std::uint32_t t = kMonday; t <= kMonday + 3 * 3600; t += 60) {
        service.Tick(t);
        ASSERT_EQ(store.Find("COM3", com3), 0u);
        ASSERT_EQ(store.Find("COM4", com4), 0u);
        ASSERT_EQ(com3.lineCondition, 1u) << "at " << t;
        ASSERT_EQ(com3.hardwareCondition, 3u);
        ASSERT_EQ(com4.lineCondition, 4u);
        ASSERT_FALSE(com3.HasSession());
        ASSERT_FALSE(com4.HasSession());
        const SimServer& sim = service.Sim().Servers()[1];
        busyTicks += sim.ports[0].session || sim.ports[1].session;
    }
    EXPECT_GT(busyTicks, 0) << "the working ports do take calls";
    for (const ReadRecord& record : ReadHistory(DbDir()))
        EXPECT_TRUE(record.port == "COM1" || record.port == "COM2") << record.port;

    // The administrator repairs COM4: it takes calls again.
    SetConditions("RAS1", "COM4", 4, 1);
    bool called = false;
    for (std::uint32_t t = kMonday + 3 * 3600 + 60; t <= kMonday + 27 * 3600 && !called; t += 60) {
        service.Tick(t);
        called = service.Sim().Servers()[1].ports[3].session.has_value();
    }
    EXPECT_TRUE(called);
    service.Stop(service.Sim().Now());
    ASSERT_EQ(store.Find("COM3", com3), 0u);
    EXPECT_EQ(com3.lineCondition, 1u) << "stopping the service leaves a broken port broken";
}

TEST_F(ServiceNetwork, TheServicesIdleDisconnectEndsIdleSessionsWithReason255)
{
    SetAutoDisconnect("RAS1", 5);
    const auto servers = ScanNetwork();
    ASSERT_EQ(servers[1].name, "RAS1");
    EXPECT_EQ(servers[1].autoDisconnectMinutes, 5u);
    EXPECT_EQ(servers[0].autoDisconnectMinutes, 0u);
    LiveOptions options = Busy();
    options.model.idleShare = 1.0; // every caller leaves the line idle
    LiveService service(servers, options, kMonday);
    std::uint32_t t = kMonday;
    std::optional<SimSession> idle;
    while (!idle && t < kMonday + 8 * 3600) {
        service.Tick(t += 10);
        for (const SimPort& port : service.Sim().Servers()[1].ports)
            if (port.session && port.session->idleFrom + 300 < port.session->hangup)
                idle = port.session;
    }
    ASSERT_TRUE(idle);
    while (t < idle->idleFrom + 320)
        service.Tick(t += 10);
    service.Stop(t);
    bool found = false;
    for (const Session& session : PairSessions(ReadHistory(DbDir())))
        if (session.start == idle->start && session.user == idle->account) {
            found = true;
            EXPECT_EQ(session.end, idle->idleFrom + 300) << "five idle minutes, long before the hang-up";
            EXPECT_EQ(session.reason, 255) << "the RAS service, not the component, ended it";
        }
    EXPECT_TRUE(found);
}

TEST(ServiceIdle, ASessionIdleForTheServicesMinutesEnds)
{
    ServerSetup server;
    server.name = "PLAIN";
    server.ports = {{"COM1", 1, false}};
    CallerProfile joe;
    joe.identity.account = "DOM\\joe";
    server.callers = {joe};
    server.autoDisconnectMinutes = 3;
    CallerModel model;
    model.idleShare = 1.0;
    model.secondLineShare = 0;
    model.callsPerPortPerPeakHour = 20;
    Simulation sim({server}, 5, kMonday, model);
    std::uint32_t t = kMonday;
    while (!sim.Servers()[0].ports[0].session && t < kMonday + 86400)
        sim.RunUntil(t += 10);
    ASSERT_TRUE(sim.Servers()[0].ports[0].session);
    const SimSession session = *sim.Servers()[0].ports[0].session;
    ASSERT_NE(session.idleFrom, 0u);
    ASSERT_LT(session.idleFrom + 180, session.hangup) << "the forgotten line would stay longer";
    sim.RunUntil(session.idleFrom + 179);
    ASSERT_TRUE(sim.Servers()[0].ports[0].session) << "not before the minutes are up";
    sim.RunUntil(session.idleFrom + 180);
    EXPECT_FALSE(sim.Servers()[0].ports[0].session && sim.Servers()[0].ports[0].session->id == session.id);

    // Switched off while a session is idle: it is not cut.
    Simulation off({server}, 5, kMonday, model);
    t = kMonday;
    while (!off.Servers()[0].ports[0].session && t < kMonday + 86400)
        off.RunUntil(t += 10);
    ASSERT_TRUE(off.Servers()[0].ports[0].session);
    const SimSession other = *off.Servers()[0].ports[0].session;
    off.SetAutoDisconnect(0, 0);
    off.RunUntil(other.idleFrom + 180);
    ASSERT_TRUE(off.Servers()[0].ports[0].session);
    EXPECT_EQ(off.Servers()[0].ports[0].session->id, other.id);
}

TEST(GenerateOverHistory, RefusesNamingTheFirstDayWithRecordsAndWritesNothing)
{
    dm::test::TempDir dir;
    const auto servers = BuildNetwork(dir.path());
    GenerateReport report;
    std::string error;
    GenerateOptions first = Options(3);
    first.days = 3; // 3, 4 and 5 April 2026
    ASSERT_TRUE(GenerateHistory(servers, first, report, error)) << error;
    const auto before = Snapshot(dir.path());

    GenerateOptions again = Options(4);
    again.days = 5; // 1 to 5 April: the 3rd already holds records
    GenerateReport second;
    EXPECT_FALSE(GenerateHistory(servers, again, second, error));
    EXPECT_NE(error.find("2026-04-03"), std::string::npos) << error;
    EXPECT_EQ(Snapshot(dir.path()), before) << "nothing written";

    // The days before the history are free.
    GenerateOptions earlier = Options(5);
    earlier.days = 2;
    earlier.endDay = 2;
    EXPECT_TRUE(GenerateHistory(servers, earlier, second, error)) << error;
    EXPECT_EQ(FirstDayWithRecords((dir.path() / "db1").string(), LocalTimeOf(2026, 3, 20),
                                  LocalTimeOf(2026, 4, 3)),
              LocalTimeOf(2026, 4, 1));
}

TEST_F(ServiceNetwork, ALiveRunStartsAfterTheLastLoggedEvent)
{
    const auto servers = ScanNetwork();
    EXPECT_EQ(LiveStart(servers, kMonday), kMonday) << "no history: the clock";
    // A faster run wrote records two hours ahead of the clock.
    LiveService fast(servers, Busy(), kMonday);
    for (std::uint32_t t = kMonday; t <= kMonday + 7200; t += 120)
        fast.Tick(t);
    fast.Stop(kMonday + 7200);
    const std::uint32_t last = LastLoggedEvent(DbDir().string());
    ASSERT_GT(last, kMonday);
    EXPECT_EQ(LiveStart(ScanNetwork(), kMonday + 60), last + 1);
    EXPECT_EQ(LiveStart(ScanNetwork(), last + 500), last + 500) << "a later clock wins";
}

TEST_F(ServiceNetwork, ALiveRunOnADiskThatRefusesWritesLosesNothingAndSaysWhich)
{
    // LogData a plain file and a directory where Dialmind.usr's lock belongs:
    // neither the day files, portstat.log's neighbour nor the counters can be written.
    dm::test::WriteFile(DbDir() / "LogData", "not a directory");
    fs::create_directory(DbDir() / ".dialmind.usr.lock");
    fs::create_directory(DbDir() / ".portstat.log.lock");
    LiveService service(ScanNetwork(), Busy(), kMonday);
    std::uint32_t t = kMonday;
    for (; t <= kMonday + 3 * 3600; t += 60)
        service.Tick(t);
    service.Stop(t);
    ASSERT_FALSE(service.FailedFiles().empty());
    EXPECT_NE(service.FailedFiles().front().find("Dialmind.usr"), std::string::npos);
    EXPECT_FALSE(fs::is_directory(DbDir() / "LogData"));

    // Space returns: the next flush writes everything the run kept.
    fs::remove(DbDir() / "LogData");
    fs::remove(DbDir() / ".dialmind.usr.lock");
    fs::remove(DbDir() / ".portstat.log.lock");
    service.Stop(t);
    EXPECT_TRUE(service.FailedFiles().empty());
    const auto history = ReadHistory(DbDir());
    EXPECT_FALSE(history.empty());
    // Every one of them happened while the disk refused them.
    EXPECT_TRUE(std::all_of(history.begin(), history.end(), [t](const ReadRecord& r) { return r.time <= t; }));
    EXPECT_TRUE(fs::exists(DbDir() / "portstat.log"));
    EXPECT_NE(GetPrivateProfileSectionNames((DbDir() / "Dialmind.usr").string()).size(), 0u);
}

TEST_F(ServiceNetwork, AMasterShareNamingAHostPathWritesNothingThere)
{
    dm::test::TempDir outside;
    RegKey hive, key;
    ASSERT_EQ(RegOpenHive("RAS1", hive), 0u);
    ASSERT_EQ(hive.CreateKey("Software\\Microsoft\\RAS\\AdminDLL", key), 0u);
    ASSERT_EQ(key.SetString("MasterShare", outside.str()), 0u);
    const auto servers = ScanNetwork();
    ASSERT_EQ(servers.size(), 2u);
    EXPECT_TRUE(servers[1].component.databaseDir.empty());
    LiveService service(servers, Busy(), kMonday);
    for (std::uint32_t t = kMonday; t <= kMonday + 3600; t += 60)
        service.Tick(t);
    service.Stop(kMonday + 3600);
    EXPECT_TRUE(fs::is_empty(outside.path()));
}

TEST_F(ServiceNetwork, ARequestQueueOrMessageLogThatIsNoFileNeitherHangsNorCrashes)
{
    // A FIFO would block the service in open for good; a directory has no size.
    const fs::path machine = net.path() / "machines" / "RAS1";
    ASSERT_EQ(::mkfifo((machine / "rasrequests.log").c_str(), 0644), 0);
    fs::create_directory(machine / "messages.log");
    ASSERT_EQ(::mkfifo((net.path() / "messages.log").c_str(), 0644), 0);
    const int result = dm::test::RunInChild([&] {
        LiveService service(ScanNetwork(), Busy(), kMonday);
        for (std::uint32_t t = kMonday; t <= kMonday + 3600; t += 60)
            service.Tick(t);
        fs::remove(machine / "rasrequests.log");
        fs::create_directory(machine / "rasrequests.log");
        for (std::uint32_t t = kMonday + 3660; t <= kMonday + 7200; t += 60)
            service.Tick(t);
        service.Stop(kMonday + 7200);
        return 0;
    }, false, 120);
    EXPECT_EQ(result, 0) << "-1: blocked or killed";
}
