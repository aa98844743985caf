// dmsim on an emulated network: what the scan finds, and the live service
// showing sessions in ras.ini and acting on a disconnect made through the
// RAS port store, as the RAS library makes it.

#include "historyfixture.h"

#include "netemu/liveservice.h"
#include "platform/accounts/accountdatabase.h"
#include "platform/system/netbuiltin.h"
#include "platform/files/network.h"
#include "platform/files/profile.h"
#include "platform/ras/rasportstore.h"
#include "platform/registry/registry.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;
using namespace dm;
using namespace dm::netemu;

namespace {

class LiveNetworkTest : public ::testing::Test {
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

        AccountDatabase dc("DC1");
        std::vector<UserAccount> users;
        for (const char* name : {"joe", "ann", "bob", "nodial"}) {
            UserAccount user;
            user.name = name;
            user.rasPrivilege = std::string(name) == "nodial" ? 1 : 9;
            users.push_back(user);
        }
        GroupAccount sales{"Sales", "", {"joe", "ann"}};
        ASSERT_EQ(dc.Store(users, {sales}, {}), 0u);
        ASSERT_EQ(dc.SetDomainName("DOM"), 0u);
        AccountDatabase local("RAS1");
        ASSERT_EQ(local.Store({}, {}, {GroupAccount{"Dialers", "", {"DOM\\Sales", "DOM\\bob"}}}), 0u);

        for (const char* computer : {"RAS1", "PLAIN"})
            for (const char* port : {"COM1", "COM2", "COM3"}) {
                RasPortRecord record;
                record.name = port;
                record.deviceType = "Modem";
                record.lineSpeed = 28800;
                ASSERT_EQ(RasPortStore(computer).SavePort(record), 0u);
            }

        fs::create_directories(ras1 / "windows" / "system32");
        dm::test::WriteFile(ras1 / "windows" / "system32" / "dialmind.dll", "component");
        fs::create_directories(ras1 / "drives" / "C" / "Dialmind" / "DB");
        ASSERT_EQ(SetShare("RAS1", "DM_NT_DB", "C:\\Dialmind\\DB"), 0u);
        dm::test::WriteFile(ras1 / "drives" / "C" / "Dialmind" / "DB" / "Dialmind.hw", "[Default]\r\nAssignDefault=1\r\n");
        RegKey hive, key;
        ASSERT_EQ(RegOpenHive("RAS1", hive), 0u);
        ASSERT_EQ(hive.CreateKey("Software\\Microsoft\\RAS\\AdminDLL", key), 0u);
        key.SetString("DLLPath", "C:\\WINNT\\system32\\dialmind.dll");
        key.SetString("MasterShare", "\\\\RAS1\\DM_NT_DB");
        key.SetDword("IdleTimer", 12);
    }
    void TearDown() override { unsetenv("DIALMIND_NETWORK"); }
    fs::path DbDir() const { return net.path() / "machines" / "RAS1" / "drives" / "C" / "Dialmind" / "DB"; }

    dm::test::TempDir net;
};

TEST_F(LiveNetworkTest, ScanFindsRasServersTheComponentAndTheCallers)
{
    const auto servers = ScanNetwork();
    ASSERT_EQ(servers.size(), 2u) << "DC1 has no ras.ini";
    const ScannedServer& plain = servers[0];
    const ScannedServer& ras1 = servers[1];
    EXPECT_EQ(plain.name, "PLAIN");
    EXPECT_FALSE(plain.component.installed);
    EXPECT_EQ(ras1.name, "RAS1");
    ASSERT_EQ(ras1.ports.size(), 3u);
    EXPECT_TRUE(ras1.component.installed);
    EXPECT_EQ(ras1.component.idleMinutes, 12u);
    EXPECT_EQ(fs::path(ras1.component.databaseDir), DbDir());
    ASSERT_EQ(ras1.callers.size(), 3u) << "the account without dial-in permission never calls";
    const CallerIdentity& joe = ras1.callers[0].identity;
    EXPECT_EQ(joe.account, "DOM\\joe");
    EXPECT_EQ(joe.globalGroups, std::vector<std::string>{"DOM\\Sales"});
    EXPECT_EQ(joe.localGroups, std::vector<std::string>{"RAS1\\Dialers"}) << "member through DOM\\Sales";
    EXPECT_EQ(ras1.callers[2].identity.localGroups, std::vector<std::string>{"RAS1\\Dialers"});

    // Without the component's file the server is only a RAS server.
    fs::remove(net.path() / "machines" / "RAS1" / "windows" / "system32" / "dialmind.dll");
    EXPECT_FALSE(ReadComponentConfig("RAS1").installed);
}

TEST_F(LiveNetworkTest, LiveServiceShowsSessionsAndLogsADisconnectFromTheLibrary)
{
    LiveOptions options;
    options.model.callsPerPortPerPeakHour = 8;
    options.model.sessionMedianSeconds = 3600;
    const std::uint32_t start = 1772438400; // a Monday morning
    LiveService service(ScanNetwork(), options, start);
    RasPortStore store("RAS1");
    RasPortRecord shown;
    std::uint32_t now = start;
    bool inSession = false;
    while (!inSession && now < start + 8 * 3600) {
        now += 30;
        service.Tick(now);
        for (const char* port : {"COM1", "COM2", "COM3"})
            if (store.Find(port, shown) == 0 && shown.lineCondition == 6) {
                inSession = true;
                break;
            }
    }
    ASSERT_TRUE(inSession);
    EXPECT_EQ(shown.logonDomain, "DOM");
    EXPECT_FALSE(shown.user.empty());
    EXPECT_EQ(shown.ip.error, 0u);
    EXPECT_EQ(shown.ip.address.rfind("10.", 0), 0u);
    service.Tick(now + 120);
    now += 120;
    RasPortRecord later;
    ASSERT_EQ(store.Find(shown.name, later), 0u);
    if (later.sessionStart == shown.sessionStart) {
        EXPECT_GT(later.counters[0] + later.counters[1], shown.counters[0] + shown.counters[1]) << "traffic grows";
    }

    // The manager disconnects the port through the RAS library.
    RasPortRecord current;
    ASSERT_EQ(store.Find(shown.name, current), 0u);
    ASSERT_TRUE(current.HasSession());
    ASSERT_EQ(store.EndSession(shown.name), 0u);
    const std::uint32_t requested = now;
    now += 10;
    service.Tick(now);
    service.Stop(now + 10);

    const auto records = dm::netemu::test::ReadHistory(DbDir());
    const auto sessions = dm::netemu::test::PairSessions(records);
    bool found = false;
    for (const dm::netemu::test::Session& session : sessions)
        if (session.port == shown.name && session.start == current.sessionStart) {
            found = true;
            EXPECT_EQ(session.reason, EndNoReason);
            EXPECT_EQ(session.end, requested) << "taken at the start of the next tick";
        }
    EXPECT_TRUE(found);
    for (const char* port : {"COM1", "COM2", "COM3"}) {
        ASSERT_EQ(store.Find(port, current), 0u);
        EXPECT_EQ(current.lineCondition, 4u) << port << " waits for a call after the stop";
        EXPECT_FALSE(current.HasSession());
    }
    // The greeting went nowhere (no rules), the counters went into Dialmind.usr.
    const std::string usr = (DbDir() / "Dialmind.usr").string();
    EXPECT_FALSE(GetPrivateProfileSectionNames(usr).empty());
    // PLAIN has RAS but no component: nothing of it is logged.
    for (const dm::netemu::test::ReadRecord& record : records)
        EXPECT_EQ(record.server, "RAS1");
    EXPECT_TRUE(fs::exists(DbDir() / "portstat.log"));
}

TEST_F(LiveNetworkTest, TheStartShowsPortsLeftAuthenticatingAndChangesNoOtherKey)
{
    // As a killed run left them, with keys in spellings of their own.
    const std::string ini = RasPortStore("RAS1").IniPath().string();
    for (const char* port : {"COM1", "COM2", "COM3"}) {
        ASSERT_TRUE(WritePrivateProfileString(port, "LineCondition", "5", ini));
        ASSERT_TRUE(WritePrivateProfileString(port, "MediaType", "0x1", ini));
        ASSERT_TRUE(WritePrivateProfileString(port, "BytesReceived", "  12", ini));
    }
    LiveOptions options;
    options.model.callsPerPortPerPeakHour = 0.0001; // nobody calls
    const std::uint32_t start = 1772438400;
    LiveService service(ScanNetwork(), options, start);
    std::vector<RasPortRecord> ports;
    ASSERT_EQ(RasPortStore("RAS1").List(ports), 0u);
    ASSERT_EQ(ports.size(), 3u);
    for (const RasPortRecord& port : ports) {
        EXPECT_EQ(port.lineCondition, 4u) << port.name;
        EXPECT_EQ(port.counters[1], 12u) << port.name;
    }
    const std::string text = dm::test::ReadFile(ini);
    std::size_t kept = 0;
    for (std::size_t at = text.find("MediaType=0x1\r\n"); at != std::string::npos; at = text.find("MediaType=0x1", at + 1))
        ++kept;
    EXPECT_EQ(kept, 3u) << "a value the service does not change stays as written: " << text;
    EXPECT_EQ(text.find("LineCondition=5"), std::string::npos);

    // Started again on what it showed, it has nothing to write.
    const auto stamp = fs::last_write_time(ini);
    LiveService again(ScanNetwork(), options, start + 60);
    EXPECT_EQ(fs::last_write_time(ini), stamp);
}

TEST_F(LiveNetworkTest, SessionsFoundRunningAtTheStartGoOnAndAreLogged)
{
    dm::test::WriteFile(DbDir() / "Dialmind.usr", "[DOM\\joe]\r\nMaxSessionTime=600\r\n");
    const std::uint32_t start = 1772438400;
    RasSession running;
    running.user = "joe";
    running.logonDomain = "DOM";
    running.computer = "JOE-PC";
    running.start = start - 300;
    ASSERT_EQ(RasPortStore("RAS1").StartSession("COM2", running), 0u);

    LiveOptions options;
    options.model.callsPerPortPerPeakHour = 0.0001; // nobody else calls
    options.model.minSession = 3600;                 // and joe would stay long
    LiveService service(ScanNetwork(), options, start);
    RasPortRecord shown;
    ASSERT_EQ(RasPortStore("RAS1").Find("COM2", shown), 0u);
    EXPECT_EQ(shown.lineCondition, 6u);
    EXPECT_EQ(shown.sessionStart, start - 300);
    for (std::uint32_t t = start; t <= start + 400; t += 20)
        service.Tick(t);
    service.Stop(start + 400);

    const auto sessions = dm::netemu::test::PairSessions(dm::netemu::test::ReadHistory(DbDir()));
    ASSERT_EQ(sessions.size(), 1u);
    EXPECT_EQ(sessions[0].user, "DOM\\joe");
    EXPECT_EQ(sessions[0].start, start - 300);
    EXPECT_EQ(sessions[0].reason, EndUserMaxSession) << "its limit counts from its real start";
    EXPECT_EQ(sessions[0].duration, 600);
}

} // namespace

TEST_F(LiveNetworkTest, ARequestNamingThePortInOtherCapitalsEndsItsSession)
{
    LiveOptions options;
    options.model.callsPerPortPerPeakHour = 8;
    options.model.sessionMedianSeconds = 3600;
    const std::uint32_t start = 1772438400;
    LiveService service(ScanNetwork(), options, start);
    RasPortStore store("RAS1");
    // Every port is shown from the start, waiting for a call.
    for (const char* port : {"COM1", "COM2", "COM3"}) {
        RasPortRecord record;
        ASSERT_EQ(store.Find(port, record), 0u);
        EXPECT_EQ(record.lineCondition, 4u) << port;
    }
    RasPortRecord shown;
    std::uint32_t now = start;
    while (now < start + 8 * 3600 && !(store.Find("COM2", shown) == 0 && shown.HasSession())) {
        now += 30;
        service.Tick(now);
    }
    ASSERT_TRUE(shown.HasSession());
    // A request in the library's form, the port spelt "com2", the session
    // named by its start.
    std::ofstream(store.RequestLogPath(), std::ios::binary | std::ios::app)
        << now << "\tDisconnect\tcom2\tDOM\\" << shown.user << '\t' << shown.sessionStart << "\tPC\n";
    now += 10;
    service.Tick(now);
    RasPortRecord after;
    ASSERT_EQ(store.Find("COM2", after), 0u);
    EXPECT_TRUE(!after.HasSession() || after.sessionStart != shown.sessionStart);
    service.Stop(now + 10);
    bool ended = false;
    for (const auto& session : dm::netemu::test::PairSessions(dm::netemu::test::ReadHistory(DbDir())))
        ended = ended || (session.port == "COM2" && session.start == shown.sessionStart && session.end == now - 10);
    EXPECT_TRUE(ended) << "the session ends when the request is taken";
}
