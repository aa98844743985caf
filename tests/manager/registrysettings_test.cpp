// The manager's registry settings and the remote configuration of servers.

#include "manager/core/managersettings.h"
#include "manager/core/remoteconfig.h"
#include "platform/files/network.h"
#include "platform/registry/registry.h"
#include "tests/manager/corefixture.h"

using namespace dm;

namespace {

class ManagerSettingsTest : public dm::test::CoreFixture {
protected:
    void SetSystem(const std::string& value, std::uint32_t number)
    {
        SetDword(Network::LocalComputerName(), ManagerSettings::KeyPath, value, number);
    }
};

TEST_F(ManagerSettingsTest, WithoutTheKeyFirstStartWidths)
{
    ManagerSettings s;
    s.interval = 99;
    s.Load();
    EXPECT_EQ(s.interval, 30);
    EXPECT_TRUE(s.userIcons);
    EXPECT_EQ(s.historyViewColumns, 2047);
    const std::array<int, 10> widths = {140, 90, 100, 65, 120, 100, 100, 100, 100, 100};
    EXPECT_EQ(s.columnWidths, widths);
}

TEST_F(ManagerSettingsTest, OutOfRangeValuesTakeTheirDefaultsOneByOne)
{
    SetSystem("BrowseScope", 7);
    SetSystem("Interval", 0);
    SetSystem("ColWidth3", 250);
    SetSystem("UserIcons", 0);
    ManagerSettings s;
    s.Load();
    EXPECT_EQ(s.browseScope, 1);
    EXPECT_EQ(s.interval, 30);
    EXPECT_FALSE(s.userIcons);
    EXPECT_EQ(s.columnWidths[3], 250);
    EXPECT_EQ(s.columnWidths[0], 60) << "key exists, value does not";
    EXPECT_EQ(s.historyViewColumns, 2047);

    SetSystem("BrowseScope", 4);
    s.Load();
    EXPECT_EQ(s.browseScope, 4);
}

TEST_F(ManagerSettingsTest, AnIntervalOutsideFiveSecondsToADayTakesTheNearestBound)
{
    const std::pair<std::uint32_t, int> cases[] = {
        {3000000, 86400}, {86401, 86400}, {86400, 86400}, {4294967295u, 86400}, {1, 5}, {5, 5}, {0, 30}};
    for (const auto& [stored, read] : cases) {
        SetSystem("Interval", stored);
        ManagerSettings s;
        s.Load();
        EXPECT_EQ(s.interval, read) << stored;
    }
    // The timer period is computed in 64 bits: a day is 86,400,000 ms.
    EXPECT_EQ(ManagerSettings::IntervalMilliseconds(3000000), 86400000);
    EXPECT_EQ(ManagerSettings::IntervalMilliseconds(-7), 5000);
}

TEST_F(ManagerSettingsTest, SaveRoundTrips)
{
    ManagerSettings s;
    s.interval = 60;
    s.sound = true;
    s.attempt = true;
    s.browseScope = 3;
    s.historyViewSeconds = true;
    s.historyViewColumns = 5;
    s.columnWidths[9] = 33;
    ASSERT_TRUE(s.Save());
    ManagerSettings t;
    t.Load();
    EXPECT_EQ(t.interval, 60);
    EXPECT_TRUE(t.sound);
    EXPECT_TRUE(t.attempt);
    EXPECT_EQ(t.browseScope, 3);
    EXPECT_TRUE(t.historyViewSeconds);
    EXPECT_EQ(t.historyViewColumns, 5);
    EXPECT_EQ(t.columnWidths[9], 33);
    EXPECT_EQ(t.columnWidths[0], 140);
}

class RemoteConfigTest : public dm::test::CoreFixture {
protected:
    void SetIdle(const std::string& server, std::uint32_t autoDisconnect, std::uint32_t idleTimer)
    {
        SetDword(server, RemoteConfig::RasParametersKey, "AutoDisconnect", autoDisconnect);
        SetDword(server, "Software\\Microsoft\\RAS\\AdminDLL", "IdleTimer", idleTimer);
    }
    std::uint32_t ReadDword(const std::string& server, const std::string& key, const std::string& value)
    {
        RegKey hive, k;
        std::uint32_t number = 0xFFFFFFFF;
        if (RegOpenHive(server, hive) == 0 && hive.OpenKey(key, k) == 0)
            k.QueryDword(value, number);
        return number;
    }
    RemoteConfig m_config{m_ui};
};

TEST_F(RemoteConfigTest, IdleTimeoutIsTheSmallerNonZeroValue)
{
    AddServer("RAS1");
    IdleTimeout t;
    SetIdle("RAS1", 30, 20);
    ASSERT_TRUE(m_config.ReadIdleTimeout("RAS1", t));
    EXPECT_TRUE(t.on);
    EXPECT_EQ(t.minutes, 20);
    SetIdle("RAS1", 0, 15);
    ASSERT_TRUE(m_config.ReadIdleTimeout("RAS1", t));
    EXPECT_EQ(t.minutes, 15);
    SetIdle("RAS1", 0, 0);
    ASSERT_TRUE(m_config.ReadIdleTimeout("RAS1", t));
    EXPECT_FALSE(t.on);
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(RemoteConfigTest, IdleTimeoutWriteSetsBothAndCreatesTheBytesLimitOnce)
{
    AddServer("RAS1");
    SetIdle("RAS1", 30, 20);
    m_config.WriteIdleTimeout("RAS1", true, 20);
    EXPECT_EQ(ReadDword("RAS1", RemoteConfig::RasParametersKey, "AutoDisconnect"), 20u);
    EXPECT_EQ(ReadDword("RAS1", RemoteConfig::ComponentKey, "IdleTimer"), 20u);
    EXPECT_EQ(ReadDword("RAS1", RemoteConfig::ComponentKey, "IdleBytesLimit"), 2000u);

    SetDword("RAS1", RemoteConfig::ComponentKey, "IdleBytesLimit", 500);
    m_config.WriteIdleTimeout("RAS1", false, 45);
    EXPECT_EQ(ReadDword("RAS1", RemoteConfig::RasParametersKey, "AutoDisconnect"), 0u);
    EXPECT_EQ(ReadDword("RAS1", RemoteConfig::ComponentKey, "IdleTimer"), 0u);
    EXPECT_EQ(ReadDword("RAS1", RemoteConfig::ComponentKey, "IdleBytesLimit"), 500u);
}

TEST_F(RemoteConfigTest, IdleTimeoutFailuresAreReportedPlainly)
{
    IdleTimeout t;
    EXPECT_FALSE(m_config.ReadIdleTimeout("NOWHERE", t));
    AddServer("RAS1"); // component key, but no RAS parameters key
    EXPECT_FALSE(m_config.ReadIdleTimeout("RAS1", t));
    SetDword("RAS1", RemoteConfig::RasParametersKey, "Other", 1);
    EXPECT_FALSE(m_config.ReadIdleTimeout("RAS1", t));
    const std::vector<std::string> expected = {
        "Unable to connect to target computer. Windows NT returned error 53",
        "Unable to open RAS registry key on target computer. Windows NT returned error 2",
        "Unable to retrieve RAS registry values from target computer. Windows NT returned error 2"};
    EXPECT_EQ(m_ui.Texts(), expected);
    EXPECT_EQ(m_ui.m_messages[0].icon, Icon::None);
}

TEST_F(RemoteConfigTest, ComponentSettingsReadAndWriteToTheRememberedServer)
{
    AddServer("MASTER", true, "C:\\Dialmind");
    ComponentSettings s;
    // Nothing read yet: a write does nothing and succeeds.
    EXPECT_TRUE(m_config.WriteComponentSettings(true, "X"));
    ASSERT_TRUE(m_config.ReadComponentSettings("MASTER", s));
    EXPECT_TRUE(s.master);
    EXPECT_EQ(s.share, "C:\\Dialmind");
    EXPECT_EQ(s.version, "1.40");
    ASSERT_TRUE(m_config.WriteComponentSettings(false, "\\\\MASTER\\DM_NT_DB"));
    EXPECT_EQ(ReadDword("MASTER", RemoteConfig::ComponentKey, "MasterServer"), 0u);
    ASSERT_TRUE(m_config.ReadComponentSettings("MASTER", s));
    EXPECT_EQ(s.share, "\\\\MASTER\\DM_NT_DB");
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(RemoteConfigTest, ComponentSettingsFailures)
{
    ComponentSettings s;
    EXPECT_FALSE(m_config.ReadComponentSettings("NOWHERE", s));
    Network::AddComputer("BARE");
    EXPECT_FALSE(m_config.ReadComponentSettings("BARE", s));
    ASSERT_EQ(m_ui.m_messages.size(), 2u);
    EXPECT_EQ(m_ui.m_messages[0].text,
              "Error 53: Could not connect to the server. Verify that\nthe server is running and that "
              "you\nare allowed to read the registry on the server.");
    EXPECT_EQ(m_ui.m_messages[1].text,
              "Error 2: Could not connect to the RAS Server. Verify that\nthe server is running, RAS is "
              "installed and that you\nare allowed to read the registry on the server.");
    EXPECT_EQ(m_ui.m_messages[1].icon, Icon::Error);

    // Without Version the read fails silently.
    AddServer("OLD", true, "C:\\DB");
    RegKey hive, key;
    ASSERT_EQ(RegOpenHive("OLD", hive), 0u);
    ASSERT_EQ(hive.OpenKey(RemoteConfig::ComponentKey, key), 0u);
    ASSERT_EQ(key.DeleteValue("Version"), 0u);
    EXPECT_FALSE(m_config.ReadComponentSettings("OLD", s));
    EXPECT_EQ(m_ui.m_messages.size(), 2u);

    // The server read last goes offline before the write.
    AddServer("RAS2", true, "C:\\DB");
    ASSERT_TRUE(m_config.ReadComponentSettings("RAS2", s));
    Network::SetReachable("RAS2", false);
    EXPECT_FALSE(m_config.WriteComponentSettings(true, "C:\\DB"));
    ASSERT_EQ(m_ui.m_messages.size(), 3u);
    EXPECT_EQ(m_ui.m_messages[2].text,
              "Could not connect to \\\\RAS2 (Error 53). Verify that\nthe server is running and that "
              "you\nare allowed to write to the registry on the server.");
}

TEST_F(RemoteConfigTest, DiscoveryMarksUnreachableServersOnly)
{
    AddServer("RAS1", true, "\\\\RAS1\\DM_NT_DB");
    AddServer("RAS2");
    ServerEntry one{"RAS1", 4, 2, {}, ServerState::EnumerationFailed};
    ServerEntry two{"RAS2", 0, 0, {}, ServerState::Reachable};
    ServerEntry gone{"GONE", 0, 0, {}, ServerState::Reachable};
    std::string directory = "old";
    EXPECT_TRUE(m_config.DiscoverDatabaseDirectory(one, directory));
    EXPECT_EQ(directory, "\\\\RAS1\\DM_NT_DB");
    EXPECT_EQ(one.portCount, 0);
    EXPECT_EQ(one.state, ServerState::Reachable);
    EXPECT_TRUE(m_config.DiscoverDatabaseDirectory(two, directory));
    EXPECT_EQ(directory, "\\\\RAS1\\DM_NT_DB") << "no Master value: directory left alone";
    EXPECT_FALSE(m_config.DiscoverDatabaseDirectory(gone, directory));
    EXPECT_EQ(gone.state, ServerState::RegistryUnavailable);
    EXPECT_TRUE(m_ui.m_messages.empty());
}

} // namespace
