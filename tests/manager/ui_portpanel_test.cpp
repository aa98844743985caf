// The port status panel follows the tree's selection: it shows the port that
// is selected, its buttons act on that port, and it recovers after a failure.

#include "tests/manager/ui_fixture.h"

#include "manager/ui/tree/dmview.h"
#include "manager/ui/views/newport.h"
#include "platform/files/network.h"
#include "platform/ras/rasportstore.h"

#include <QTest>
#include <QToolButton>

using namespace dm;
using namespace dm::test;

namespace {

class PortPanelTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        AddRasServer("EAST", {"COM1", "COM2", "COM3"}, true);
        AddRasServer("WEST", {"COM1"});
        StartSession("EAST", "COM1", "bert", 1765001000, "BERT-PC");
        StartSession("EAST", "COM2", "anna", 1765000000, "ANNA-PC");
        RasPortRecord record;
        RasPortStore("EAST").Find("COM1", record);
        record.ipx = {0, "0000C0A8:0060B0C4D201"};
        record.counters[0] = 5000;
        SavePort("EAST", record);
    }
    // Selects a port as a click in the tree does; returns the right pane.
    CNewPort* Select(const QString& server, const QString& port)
    {
        QTreeWidgetItem* serverNode = Tree().FindNode(server);
        serverNode->setExpanded(true);
        Tree().SelectNode(Tree().FindNode(port, serverNode));
        return qobject_cast<CNewPort*>(m_frame->RightPane());
    }
    void Click(CNewPort* panel, int button)
    {
        panel->Button(button)->click();
    }
    std::string UserOn(const std::string& server, const std::string& port)
    {
        RasPortRecord record;
        RasPortStore(server).Find(port, record);
        return record.user;
    }
};

} // namespace

TEST_F(PortPanelTest, AnotherPortOfTheSameKindIsShownAtOnce)
{
    OpenManager();
    CNewPort* panel = Select("EAST", "COM1");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->LineText(PortStatusLines::IpxAddress), "IPX address:  0000C0A8:0060B0C4D201");
    EXPECT_EQ(panel->LineText(PortStatusLines::BytesOut), "Outgoing bytes:  5000");

    // The frame keeps the panel for a port after a port; it must follow.
    CNewPort* same = Select("EAST", "COM2");
    ASSERT_EQ(same, panel);
    EXPECT_EQ(panel->Title(), "COM2 on EAST");
    EXPECT_EQ(panel->ShownPort(), "COM2");
    EXPECT_EQ(panel->LineText(PortStatusLines::UserAccount), "User name:  OSTERHALL\\anna");
    EXPECT_EQ(panel->LineText(PortStatusLines::ComputerName), "Computer name:  ANNA-PC");
    EXPECT_EQ(panel->LineText(PortStatusLines::IpxAddress), "IPX address:  ")
        << "COM2 reports no IPX address: COM1's must not stay";
    EXPECT_EQ(panel->LineText(PortStatusLines::BytesOut), "Outgoing bytes:  0");

    // An idle port after a busy one: the buttons take their idle look.
    Select("EAST", "COM3");
    EXPECT_EQ(panel->Title(), "COM3 on EAST");
    EXPECT_FALSE(panel->UserConnected());
    EXPECT_EQ(panel->LineText(PortStatusLines::UserAccount), "User name:  ");
    EXPECT_EQ(panel->LineText(PortStatusLines::IpAddress), "IP address:  ");
}

TEST_F(PortPanelTest, ButtonsActOnTheShownPortAndNameItsUser)
{
    OpenManager();
    CNewPort* panel = Select("EAST", "COM1");
    ASSERT_NE(panel, nullptr);
    Select("EAST", "COM2");
    ASSERT_TRUE(panel->UserConnected());

    m_ui.QueueAnswer(Answer::Yes);
    Click(panel, CNewPort::Disconnect);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text,
              "Are you sure you want to disconnect the current user?\n\nOSTERHALL\\anna on COM2 (EAST)");
    EXPECT_EQ(UserOn("EAST", "COM2"), "") << "the shown port's session ended";
    EXPECT_EQ(UserOn("EAST", "COM1"), "bert") << "the previously shown port is untouched";
    EXPECT_FALSE(panel->UserConnected()) << "the panel refreshes after the disconnect";
    EXPECT_EQ(panel->LineText(PortStatusLines::ComputerName), "Computer name:  ");

    // Reset Statistics acts on the shown port as well.
    Select("EAST", "COM1");
    m_ui.QueueAnswer(Answer::Yes);
    Click(panel, CNewPort::ResetStatistics);
    RasPortRecord record;
    RasPortStore("EAST").Find("COM1", record);
    EXPECT_EQ(record.counters[0], 0u);
    EXPECT_EQ(panel->LineText(PortStatusLines::BytesOut), "Outgoing bytes:  0");
}

TEST_F(PortPanelTest, HangUpEmptiesTheCallersAddresses)
{
    OpenManager();
    CNewPort* panel = Select("EAST", "COM1");
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(panel->LineText(PortStatusLines::IpAddress), "IP address:  10.1.2.3");
    EndSession("EAST", "COM1");
    panel->OnTimerTick();
    EXPECT_EQ(panel->LineText(PortStatusLines::IpAddress), "IP address:  ");
    EXPECT_EQ(panel->LineText(PortStatusLines::IpxAddress), "IPX address:  ");
    EXPECT_EQ(panel->LineText(PortStatusLines::NetBiosName), "NetBIOS name:  ");
}

TEST_F(PortPanelTest, AFailedPanelRecoversWhenTheServerIsBack)
{
    OpenManager();
    CNewPort* panel = Select("EAST", "COM2");
    ASSERT_NE(panel, nullptr);
    Network::SetReachable("EAST", false);
    panel->OnTimerTick();
    panel->OnTimerTick();
    ASSERT_EQ(m_ui.m_messages.size(), 1u) << "reported once";
    EXPECT_EQ(m_ui.m_messages[0].text,
              "Error when retrieving data from RAS port.\nNo data will be available for this port.");
    EXPECT_TRUE(panel->HasFailed());
    EXPECT_EQ(panel->TimerInterval(), 5000) << "it keeps trying";

    Network::SetReachable("EAST", true);
    EndSession("EAST", "COM2");
    panel->OnTimerTick();
    EXPECT_FALSE(panel->HasFailed());
    EXPECT_EQ(panel->LineText(PortStatusLines::UserAccount), "User name:  ");
    EXPECT_EQ(m_ui.m_messages.size(), 1u);
}

TEST_F(PortPanelTest, AFailedPanelRefreshesForAnotherPort)
{
    OpenManager();
    CNewPort* panel = Select("EAST", "COM2");
    ASSERT_NE(panel, nullptr);
    RasPortStore("EAST").RemovePort("COM2");
    panel->OnTimerTick();
    ASSERT_TRUE(panel->HasFailed());
    Select("EAST", "COM1");
    EXPECT_FALSE(panel->HasFailed());
    EXPECT_EQ(panel->LineText(PortStatusLines::UserAccount), "User name:  OSTERHALL\\bert");
}
