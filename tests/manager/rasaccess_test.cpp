// Port tables, port conditions and account permissions through the loaded
// RAS library, on servers of a temporary network.

#include "manager/core/dmdoc.h"
#include "manager/core/portlivedata.h"
#include "platform/accounts/accountdatabase.h"
#include "platform/files/network.h"
#include "platform/ras/rasportstore.h"
#include "tests/manager/corefixture.h"

using namespace dm;

namespace {

class RasAccessTest : public dm::test::CoreFixture {
protected:
    // A port waiting for a call, or in the given line condition with a caller.
    void AddPort(const std::string& server, const std::string& port, std::uint32_t line = 4,
                 const std::string& user = {}, std::uint32_t start = 0)
    {
        RasPortRecord record;
        record.name = port;
        record.deviceType = "modem";
        record.deviceName = "Modem on " + port;
        record.mediaName = "rasser";
        record.lineCondition = line;
        record.lineSpeed = 28800;
        if (!user.empty()) {
            record.user = user;
            record.logonDomain = "DOM";
            record.computer = "PC1";
            record.sessionStart = start;
        }
        record.counters[0] = 1234;
        ASSERT_EQ(RasPortStore(server).SavePort(record), 0u);
    }
    std::unique_ptr<CDMDoc> NewDocument()
    {
        auto doc = std::make_unique<CDMDoc>(m_ui);
        doc->OnNewDocument();
        return doc;
    }
};

TEST_F(RasAccessTest, RefreshFillsSlotsAndCountsBusyPorts)
{
    AddServer("RAS1", true, DatabaseDir());
    MonitorServer("RAS1");
    AddPort("RAS1", "COM1");
    AddPort("RAS1", "COM2", 6, "ann", 1700000000);
    // Authenticating: busy for the ports list, but no user in the slot yet.
    AddPort("RAS1", "COM3", 5, "bob", 1700000100);
    auto doc = NewDocument();
    ASSERT_TRUE(doc->RasLibraryLoaded());
    ASSERT_TRUE(m_ui.m_messages.empty());

    ASSERT_TRUE(doc->RefreshServerPorts(0));
    const ServerEntry& server = doc->Servers()[0];
    EXPECT_EQ(server.state, ServerState::Reachable);
    ASSERT_EQ(server.portCount, 3);
    EXPECT_EQ(server.busyCount, 2);
    EXPECT_TRUE(doc->Changed());
    EXPECT_EQ(server.slots[0].portName, "COM1");
    EXPECT_EQ(server.slots[0].user, "");
    EXPECT_EQ(server.slots[1].user, "DOM\\ann");
    EXPECT_EQ(server.slots[1].sessionStart, 1700000000u);
    EXPECT_EQ(server.slots[1].state, SlotState::Authenticated);
    EXPECT_EQ(server.slots[2].state, SlotState::NoUser);
    EXPECT_EQ(server.slots[2].user, "");
    EXPECT_EQ(server.slots[2].sessionStart, 0u);
    EXPECT_EQ(m_ui.m_waitDepth, 0);

    std::string user;
    std::uint32_t start = 1;
    EXPECT_EQ(doc->GetPortCondition("RAS1", "COM3", user, start), 1);
    EXPECT_EQ(user, "");
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(doc->GetPortCondition("RAS1", "COM2", user, start), 1);
    EXPECT_EQ(user, "DOM\\ann");
    EXPECT_EQ(start, 1700000000u);
    EXPECT_EQ(doc->GetPortCondition("RAS1", "COM1", user, start), 0);
    EXPECT_EQ(doc->GetPortCondition("RAS1", "COM9", user, start), 2);

    // The same counts again: no change noted.
    doc->SetChanged(false);
    doc->RefreshServerPorts(0);
    EXPECT_FALSE(doc->Changed());
}

TEST_F(RasAccessTest, ServerStatesForEachFailure)
{
    AddServer("MASTER", true, DatabaseDir());
    AddServer("NORAS");
    AddServer("EMPTY");
    AddServer("GONE");
    for (const char* name : {"MASTER", "NORAS", "EMPTY", "GONE"})
        MonitorServer(name);
    AddPort("MASTER", "COM1");
    AddPort("EMPTY", "COM1");
    ASSERT_EQ(RasPortStore("EMPTY").RemovePort("COM1"), 0u);
    Network::SetReachable("GONE", false);
    auto doc = NewDocument();

    EXPECT_FALSE(doc->RefreshServerPorts(3));
    EXPECT_EQ(doc->Servers()[3].state, ServerState::RegistryUnavailable);
    EXPECT_TRUE(doc->RefreshServerPorts(0));
    EXPECT_EQ(doc->Servers()[0].portCount, 1);
    EXPECT_TRUE(doc->RefreshServerPorts(1));
    EXPECT_EQ(doc->Servers()[1].state, ServerState::EnumerationFailed);
    EXPECT_TRUE(doc->RefreshServerPorts(2));
    EXPECT_EQ(doc->Servers()[2].state, ServerState::NoPorts);
    EXPECT_EQ(doc->Servers()[2].portCount, 0);
    EXPECT_FALSE(doc->RefreshServerPorts(4)) << "no such server";
    EXPECT_TRUE(m_ui.m_messages.empty()) << "refresh failures show no message";
}

TEST_F(RasAccessTest, LiveDataDisconnectAndClear)
{
    AddServer("RAS1", true, DatabaseDir());
    MonitorServer("RAS1");
    AddPort("RAS1", "COM2", 6, "ann", 1700000000);
    auto doc = NewDocument();
    ASSERT_TRUE(doc->GetPortLiveData(0, "COM2"));
    EXPECT_EQ(doc->LiveData().port.LineCondition, 6u);
    EXPECT_EQ(doc->LiveData().port.LineSpeed, 28800u);
    EXPECT_EQ(doc->LiveData().statistics.dwBytesXmited, 1234u);

    doc->ClearPortStatistics("RAS1", "COM2");
    doc->DisconnectPort("RAS1", "COM2");
    ASSERT_TRUE(doc->GetPortLiveData(0, "COM2"));
    EXPECT_EQ(doc->LiveData().statistics.dwBytesXmited, 0u);
    EXPECT_NE(doc->LiveData().port.LineCondition, 6u);
    EXPECT_TRUE(m_ui.m_messages.empty());

    EXPECT_FALSE(doc->GetPortLiveData(0, "COM7"));
    doc->DisconnectPort("RAS1", "COM7");
    doc->ClearPortStatistics("RAS1", "COM7");
    const std::vector<std::string> expected = {
        "Unable to disconnect session. The RAS server returned error#615.",
        "Unable to reset the statistic counters. The RAS server returned error#615."};
    EXPECT_EQ(m_ui.Texts(), expected);
    EXPECT_EQ(m_ui.m_messages[0].icon, Icon::Error);
}

TEST_F(RasAccessTest, AccountPermissionRoundTrip)
{
    AddServer("DC1");
    UserAccount ann;
    ann.name = "ann";
    ASSERT_EQ(AccountDatabase("DC1").Store({ann}, {}, {}), 0u);
    auto doc = NewDocument();
    ASSERT_TRUE(doc->SetUserRasPermission("\\\\DC1", "ann", 8 | 2, "555-0100"));
    std::string number = "stale";
    EXPECT_EQ(doc->GetUserRasPermission("\\\\DC1", "ann", number), 10);
    EXPECT_EQ(number, "555-0100");
    EXPECT_EQ(doc->GetUserRasPermission("\\\\DC1", "nobody", number), 0);
    EXPECT_EQ(number, "");
    EXPECT_FALSE(doc->SetUserRasPermission("\\\\DC1", "nobody", 8, ""));

    // Many at once read what one by one reads: a domain's prefix and the
    // case do not count, an unknown account or server gives 0.
    UserAccount bob;
    bob.name = "Bob";
    bob.rasPrivilege = 8 | 1;
    ASSERT_EQ(AccountDatabase("DC1").Store({ann, bob}, {}, {}), 0u);
    ASSERT_TRUE(doc->SetUserRasPermission("\\\\DC1", "ann", 8 | 4, ""));
    const std::vector<std::string_view> names{"ann", "CORP\\bob", "nobody", "ANN"};
    const std::vector<std::uint8_t> many = doc->GetUserRasPermissions("\\\\DC1", names);
    ASSERT_EQ(many.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(many[i], doc->GetUserRasPermission("\\\\DC1", names[i], number)) << names[i];
    EXPECT_EQ(many, (std::vector<std::uint8_t>{12, 9, 0, 12}));
    EXPECT_EQ(doc->GetUserRasPermissions("\\\\NOWHERE", names), std::vector<std::uint8_t>(4, 0));
}

TEST_F(RasAccessTest, ServerTotals)
{
    AddServer("RAS1");
    AddPort("RAS1", "COM1");
    AddPort("RAS1", "COM2", 6, "ann", 1700000000);
    auto doc = NewDocument();
    int total = 0, inUse = 0;
    ASSERT_TRUE(doc->GetServerPortTotals("RAS1", total, inUse));
    EXPECT_EQ(total, 2);
    EXPECT_EQ(inUse, 1);
    EXPECT_FALSE(doc->GetServerPortTotals("NOWHERE", total, inUse));
    EXPECT_EQ(total, 0);
}

} // namespace

namespace {

// Runs the document with another build of the RAS library.
class LibraryOverride {
public:
    explicit LibraryOverride(const std::string& path) { setenv("DIALMIND_RASSAPI", path.c_str(), 1); }
    ~LibraryOverride() { unsetenv("DIALMIND_RASSAPI"); }
};

TEST_F(RasAccessTest, WithoutTheLibraryPortsAreNotAvailable)
{
    AddServer("RAS1", true, DatabaseDir());
    MonitorServer("RAS1");
    AddPort("RAS1", "COM1", 6, "ann", 1700000000);
    LibraryOverride use((m_dir / "missing.so").string());
    auto doc = NewDocument();
    EXPECT_FALSE(doc->RasLibraryLoaded());
    EXPECT_EQ(m_ui.Texts(), std::vector<std::string>{
                                "Error when loading Rassapi.dll. Verify that the file exists in your search path."});

    EXPECT_TRUE(doc->RefreshServerPorts(0));
    EXPECT_EQ(doc->Servers()[0].state, ServerState::EnumerationFailed);
    EXPECT_EQ(doc->Servers()[0].portCount, 0);
    std::string user;
    std::uint32_t start = 0;
    EXPECT_EQ(doc->GetPortCondition("RAS1", "COM1", user, start), 2);
    EXPECT_FALSE(doc->GetPortLiveData(0, "COM1"));
    std::string number;
    EXPECT_EQ(doc->GetUserRasPermission("\\\\RAS1", "ann", number), 0);
    EXPECT_EQ(doc->GetUserRasPermissions("\\\\RAS1", std::vector<std::string_view>{"ann"}), std::vector<std::uint8_t>{0});
    // Operations that cannot be made show nothing beyond the start-up message.
    doc->DisconnectPort("RAS1", "COM1");
    EXPECT_EQ(m_ui.m_messages.size(), 1u);
}

TEST_F(RasAccessTest, WithoutFreeBufferNoBufferIsTakenFromTheLibrary)
{
    AddServer("RAS1", true, DatabaseDir());
    MonitorServer("RAS1");
    AddPort("RAS1", "COM1", 6, "ann", 1700000000);
    LibraryOverride use(std::string(DM_LIB_DIR) + "/librassapi_nofree.so");
    auto doc = NewDocument();
    ASSERT_TRUE(doc->RasLibraryLoaded());
    // Buffers that could not be freed would leak (the sanitizer's leak check
    // fails the run); the port is shown as not available instead.
    doc->RefreshServerPorts(0);
    EXPECT_EQ(doc->Servers()[0].state, ServerState::EnumerationFailed);
    std::string user;
    std::uint32_t start = 0;
    EXPECT_EQ(doc->GetPortCondition("RAS1", "COM1", user, start), 2);
    // Calls that return no buffer still work.
    int total = 0, inUse = 0;
    EXPECT_TRUE(doc->GetServerPortTotals("RAS1", total, inUse));
    EXPECT_EQ(inUse, 1);
}

} // namespace

TEST_F(RasAccessTest, FullAndQuickRefreshAgreeOnAPortThatIsNotOperational)
{
    AddServer("RAS1", true, DatabaseDir());
    MonitorServer("RAS1");
    AddPort("RAS1", "COM1", 1);  // not operational
    AddPort("RAS1", "COM2", 9);  // a code the library does not define
    AddPort("RAS1", "COM3", 2);  // disconnected: operational, idle
    AddPort("RAS1", "COM4", 7);  // initializing: operational, no user yet
    auto doc = NewDocument();
    ASSERT_TRUE(doc->RefreshServerPorts(0));
    const ServerEntry& server = doc->Servers()[0];
    ASSERT_EQ(server.portCount, 4);
    for (int i = 0; i < 4; ++i) {
        const PortSlot& slot = server.slots[static_cast<std::size_t>(i)];
        std::string user;
        std::uint32_t start = 0;
        const int quick = doc->GetPortCondition("RAS1", slot.portName, user, start);
        // A fault in one refresh is a fault in the other; idle and busy
        // without a user both show the idle icon.
        EXPECT_EQ(slot.state == SlotState::Unreadable, quick == 2) << slot.portName;
    }
    EXPECT_EQ(server.slots[0].state, SlotState::Unreadable);
    EXPECT_EQ(server.slots[1].state, SlotState::Unreadable);
    EXPECT_EQ(server.slots[2].state, SlotState::NoUser);
    EXPECT_EQ(server.slots[3].state, SlotState::NoUser);
}

TEST_F(RasAccessTest, AnUnreachableServerKeepsItsLastKnownPortsAsFaults)
{
    AddServer("RAS1", true, DatabaseDir());
    MonitorServer("RAS1");
    AddPort("RAS1", "COM1");
    AddPort("RAS1", "COM2", 6, "ann", 1700000000);
    auto doc = NewDocument();
    ASSERT_TRUE(doc->RefreshServerPorts(0));
    ASSERT_EQ(doc->Servers()[0].busyCount, 1);

    Network::SetReachable("RAS1", false);
    doc->SetChanged(false);
    EXPECT_FALSE(doc->RefreshServerPorts(0));
    const ServerEntry& server = doc->Servers()[0];
    EXPECT_EQ(server.state, ServerState::RegistryUnavailable);
    ASSERT_EQ(server.portCount, 2) << "the ports last known stay";
    EXPECT_EQ(server.slots[1].portName, "COM2");
    for (const PortSlot& slot : server.slots) {
        EXPECT_EQ(slot.state, SlotState::Unreadable);
        EXPECT_EQ(slot.sessionStart, 0u) << "a session nobody can see is not shown as running";
        EXPECT_EQ(slot.user, "");
    }
    EXPECT_EQ(server.busyCount, 0);
    EXPECT_TRUE(doc->Changed());

    Network::SetReachable("RAS1", true);
    EXPECT_TRUE(doc->RefreshServerPorts(0));
    EXPECT_EQ(doc->Servers()[0].slots[1].state, SlotState::Authenticated);
}
