// The port and account stores as dmctl and dmsim use them.

#include "platform/accounts/accountdatabase.h"
#include "platform/files/profile.h"
#include "platform/ras/rasportstore.h"
#include "tests/platform/ras/rasnetworkfixture.h"

#include <gtest/gtest.h>

using namespace dm;
using namespace dm::test;

namespace {

class PortStoreTest : public RasNetworkFixture {};

TEST_F(PortStoreTest, ASessionStartsWithFreshCountersAndEndsWithOneRequest)
{
    Machine("RAS1");
    RasPortStore store("RAS1");
    EXPECT_EQ(1060u, store.Check()); // no RAS until a port exists
    RasPortRecord port;
    port.name = "COM1";
    port.counters.fill(77);
    ASSERT_EQ(0u, store.SavePort(port));
    ASSERT_EQ(0u, store.Check());

    RasSession session;
    session.user = "jdoe";
    session.logonDomain = "DOM";
    session.computer = "JDOE-NB";
    session.start = 1000;
    session.ipAddress = "10.0.0.7";
    ASSERT_EQ(0u, store.StartSession("com1", session));
    RasPortRecord read;
    ASSERT_EQ(0u, store.Find("COM1", read));
    EXPECT_EQ(6u, read.lineCondition);
    EXPECT_EQ("jdoe", read.user);
    EXPECT_EQ(0u, read.ip.error);
    EXPECT_EQ(0u, read.nbfError);
    EXPECT_NE(0u, read.ipx.error);
    EXPECT_EQ(0u, read.counters[0]);

    ASSERT_EQ(0u, store.EndSession("COM1"));
    ASSERT_EQ(0u, store.EndSession("COM1"));
    const std::string log = ReadMachineFile("RAS1", "rasrequests.log");
    EXPECT_EQ(1, std::count(log.begin(), log.end(), '\n'));
    EXPECT_EQ(87u, store.StartSession("COM1", RasSession()));
}

TEST_F(PortStoreTest, PortNamesThatWouldBreakTheFileAreRefused)
{
    Machine("RAS1");
    RasPortStore store("RAS1");
    // The RAS records hold 15 characters of a name: a longer one would
    // enumerate cut and then not be found by that name.
    for (const char* bad : {"", "COM]1", "COM\n1", "A\\B", "ISDN-CHANNEL-016", "\xc3\x9c-123456789012345"}) {
        RasPortRecord port;
        port.name = bad;
        EXPECT_EQ(87u, store.SavePort(port)) << bad;
    }
    EXPECT_FALSE(std::filesystem::exists(store.IniPath()));
    RasPortRecord longest;
    longest.name = "ISDN-CHANNEL-15";
    ASSERT_EQ(0u, store.SavePort(longest));
    RasPortRecord port;
    port.name = "COM1";
    port.user = "x\r\n[COM2]";
    ASSERT_EQ(0u, store.SavePort(port));
    std::vector<RasPortRecord> ports;
    ASSERT_EQ(0u, store.List(ports));
    EXPECT_EQ(2u, ports.size());
}

TEST_F(PortStoreTest, AChangedPortWritesOnlyItsDifferingKeysAndAnUnchangedOneNothing)
{
    Machine("RAS1");
    RasPortStore store("RAS1");
    RasPortRecord port;
    port.name = "COM1";
    port.deviceType = "Modem";
    port.lineCondition = 5;
    port.mediaParams = {{"MaxConnectBps", "28800"}};
    ASSERT_EQ(0u, store.SavePort(port));
    RasPortRecord before;
    ASSERT_EQ(0u, store.Find("COM1", before));
    // Another program writes meanwhile; the service's copy does not know it.
    const std::string ini = store.IniPath().string();
    ASSERT_TRUE(WritePrivateProfileString("COM1", "DeviceName", "Fast modem", ini));
    ASSERT_TRUE(WritePrivateProfileString("COM1", "MediaType", "0x1", ini));

    RasPortRecord after = before;
    after.lineCondition = 4;
    after.mediaParams = {{"maxconnectbps", "28800"}, {"Carrier", "V.34"}};
    ASSERT_EQ(0u, store.SavePortChanges({{&before, &after}}));
    RasPortRecord read;
    ASSERT_EQ(0u, store.Find("COM1", read));
    EXPECT_EQ(4u, read.lineCondition);
    EXPECT_EQ("Fast modem", read.deviceName);
    const std::string text = ReadMachineFile("RAS1", "ras.ini");
    EXPECT_NE(std::string::npos, text.find("MediaType=0x1\r\n")) << text;
    EXPECT_NE(std::string::npos, text.find("Param.Carrier=V.34\r\n")) << text;
    EXPECT_EQ(2u, read.mediaParams.size());
    EXPECT_NE(std::string::npos, text.find("Param.MaxConnectBps=28800")) << "an equal value keeps its spelling";

    // Nothing differs: the file is not even replaced.
    const auto stamp = std::filesystem::last_write_time(store.IniPath());
    ASSERT_EQ(0u, store.SavePortChanges({{&read, &read}}));
    EXPECT_EQ(stamp, std::filesystem::last_write_time(store.IniPath()));
    EXPECT_EQ(text, ReadMachineFile("RAS1", "ras.ini"));

    // Without the record read every key is written.
    ASSERT_EQ(0u, store.SavePortChanges({{nullptr, &read}}));
    EXPECT_NE(std::string::npos, ReadMachineFile("RAS1", "ras.ini").find("MediaType=1\r\n"));
    RasPortRecord bad = read;
    bad.name = "COM]1";
    EXPECT_EQ(87u, store.SavePortChanges({{&read, &bad}}));
}

TEST_F(PortStoreTest, PortsReadAsAProfileReadTakesThem)
{
    // The first section and the first key of a name count, names in any
    // case; keys left out keep their defaults; quotes and blanks go.
    WriteMachineFile("RAS1", "ras.ini",
                     "; ports\n[COM1]\nlinecondition = 6\nLineCondition=2\nUser=\"jdoe \"\nsessionstart=0x10\n"
                     "param.MaxConnectBps=115200\nParam.maxconnectbps=1\nBytesReceived=77\nnonsense\n"
                     "[ISDN1]\nMediaType=4\n[com1]\nLineCondition=3\n");
    RasPortStore store("RAS1");
    std::vector<RasPortRecord> ports;
    ASSERT_EQ(0u, store.List(ports));
    ASSERT_EQ(2u, ports.size());
    EXPECT_EQ("COM1", ports[0].name);
    EXPECT_EQ(6u, ports[0].lineCondition);
    EXPECT_EQ("jdoe ", ports[0].user);
    EXPECT_EQ(16u, ports[0].sessionStart);
    EXPECT_EQ(77u, ports[0].counters[1]);
    ASSERT_EQ(1u, ports[0].mediaParams.size());
    EXPECT_EQ("MaxConnectBps", ports[0].mediaParams[0].first);
    EXPECT_EQ("115200", ports[0].mediaParams[0].second);
    RasPortRecord defaults;
    defaults.name = "ISDN1";
    defaults.mediaType = 4;
    EXPECT_EQ(defaults, ports[1]);
    RasPortRecord found;
    ASSERT_EQ(0u, store.Find("isdn1", found));
    EXPECT_EQ(defaults, found);

    // A file saved as UTF-16 holds the same ports.
    std::string wide = "\xFF\xFE";
    for (char c : std::string("[COM7]\r\nLineCondition=6\r\nUser=ann\r\n")) {
        wide += c;
        wide += '\0';
    }
    WriteMachineFile("RAS1", "ras.ini", wide);
    ASSERT_EQ(0u, store.List(ports));
    ASSERT_EQ(1u, ports.size());
    EXPECT_EQ("COM7", ports[0].name);
    EXPECT_EQ("ann", ports[0].user);
    EXPECT_EQ(6u, ports[0].lineCondition);
}

TEST_F(PortStoreTest, RequestLinesAreWholeWhateverTheirLengthAndFieldsCannotAddFields)
{
    Machine("RAS1");
    RasPortStore store("RAS1");
    RasPortRecord port;
    port.name = "COM1";
    ASSERT_EQ(0u, store.SavePort(port));
    RasSession session;
    session.user = std::string(1500, 'u');
    session.logonDomain = "DOM";
    session.computer = "PC\tClearStatistics\tCOM1\nforged";
    session.start = 1000;
    ASSERT_EQ(0u, store.StartSession("COM1", session));
    ASSERT_EQ(0u, store.EndSession("COM1"));
    session.user = "short";
    session.computer = "PC2";
    ASSERT_EQ(0u, store.StartSession("COM1", session));
    ASSERT_EQ(0u, store.EndSession("COM1"));

    const std::string log = ReadMachineFile("RAS1", "rasrequests.log");
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < log.size();) {
        const std::size_t end = log.find('\n', start);
        ASSERT_NE(end, std::string::npos) << "the last line lacks its line feed";
        lines.push_back(log.substr(start, end - start));
        start = end + 1;
    }
    ASSERT_EQ(2u, lines.size());
    for (const auto& line : lines)
        EXPECT_EQ(5, std::count(line.begin(), line.end(), '\t')) << line.substr(0, 80);
    EXPECT_NE(lines[0].find("\tDisconnect\tCOM1\tDOM\\" + std::string(1500, 'u') + "\t1000\tPC ClearStatistics COM1 forged"),
              std::string::npos);
    EXPECT_NE(lines[1].find("\tDisconnect\tCOM1\tDOM\\short\t1000\tPC2"), std::string::npos);
}

TEST_F(PortStoreTest, GroupMembersMustBeAccountsUnlessQualifiedInALocalGroup)
{
    Machine("DC1");
    AccountDatabase db("DC1");
    UserAccount user;
    user.name = "jdoe";
    ASSERT_EQ(0u, db.Store({user}, {}, {}, "DOM"));
    EXPECT_EQ(2221u, db.AddMember("Sales", "nobody", false));
    ASSERT_EQ(0u, db.AddMember("Sales", "JDOE", false));
    ASSERT_EQ(0u, db.AddMember("Sales", "jdoe", false)); // already there: once only
    ASSERT_EQ(0u, db.AddMember("Dial-in", "OTHER\\Sales", true));
    EXPECT_EQ(87u, db.AddMember("Sales", "a,b", false));
    ASSERT_EQ(0u, db.Load());
    EXPECT_EQ("DOM", db.DomainName());
    ASSERT_NE(nullptr, db.FindGlobalGroup("sales"));
    EXPECT_EQ(std::vector<std::string>{"JDOE"}, db.FindGlobalGroup("sales")->members);
    EXPECT_EQ(std::vector<std::string>{"OTHER\\Sales"}, db.FindLocalGroup("Dial-in")->members);
    EXPECT_EQ(0u, db.SetRasPermission("jdoe", 10, "555"));
    EXPECT_EQ(2221u, db.SetRasPermission("ghost", 10, "555"));
    EXPECT_EQ(53u, AccountDatabase("NOWHERE").Load());
}

} // namespace
