#include "tests/manager/ui_fixture.h"

#include "manager/ui/tree/dmview.h"
#include "manager/ui/views/newport.h"
#include "manager/ui/views/portsmodel.h"
#include "manager/ui/views/portsview.h"
#include "platform/ras/rasportstore.h"

#include <QAbstractItemModelTester>
#include <QTest>
#include <QTreeView>

using namespace dm;
using namespace dm::test;

namespace {

class PortsTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        AddRasServer("EAST", {"COM1", "COM2"}, true);
        AddRasServer("NORTH", {"COM1"});
        AddRasServer("WEST", {"ISDN1", "ISDN2"});
        StartSession("EAST", "COM2", "anna", 1765000000, "ANNA-PC");
    }
    CPortsView* ShowPorts(const QString& node)
    {
        Tree().SelectNode(Tree().FindNode(node));
        return qobject_cast<CPortsView*>(m_frame->RightPane());
    }
    QStringList Rows(CPortsView* view)
    {
        QStringList rows;
        for (int r = 0; r < view->Model()->rowCount(); ++r)
            rows << view->Model()->RowAt(r).server + "/" + view->Model()->RowAt(r).port;
        return rows;
    }
    CNewPort* ShowPort(const QString& server, const QString& port)
    {
        Tree().FindNode(server)->setExpanded(true);
        Tree().SelectNode(Tree().FindNode(port, Tree().FindNode(server)));
        return qobject_cast<CNewPort*>(m_frame->RightPane());
    }
};

} // namespace

TEST_F(PortsTest, AllServersThenOneServer)
{
    OpenManager();
    CPortsView* all = ShowPorts("Servers");
    ASSERT_NE(all, nullptr);
    QAbstractItemModelTester tester(all->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(Rows(all), (QStringList{"EAST/COM1", "EAST/COM2", "NORTH/COM1", "WEST/ISDN1", "WEST/ISDN2"}));
    EXPECT_EQ(all->TimerInterval(), 5000);
    EXPECT_GT(m_ui.m_waitCursors, 0);

    // The same view told that the selection is one server drops the others.
    m_doc->CurrentSelection().server = "WEST";
    all->OnDocumentUpdate(nullptr, hint::DataChanged);
    EXPECT_EQ(Rows(all), (QStringList{"WEST/ISDN1", "WEST/ISDN2"}));

    // An unknown server leaves the list alone.
    m_doc->CurrentSelection().server = "GONE";
    all->OnDocumentUpdate(nullptr, hint::DataChanged);
    EXPECT_EQ(Rows(all).size(), 2);
}

TEST_F(PortsTest, QuickRefreshFollowsSessionsWithoutAddingRows)
{
    OpenManager();
    CPortsView* view = ShowPorts("EAST");
    ASSERT_NE(view, nullptr);
    PortsModel* model = view->Model();
    ASSERT_EQ(model->rowCount(), 2);
    EXPECT_EQ(model->RowAt(1).user, "OSTERHALL\\anna");
    EXPECT_EQ(model->RowAt(1).started, PortsModel::DateAndTimeText(1765000000));
    EXPECT_EQ(model->RowAt(1).image, 4);

    view->QuickRefresh();
    EXPECT_EQ(model->RowAt(1).started, PortsModel::TimeOfDayText(1765000000));

    EndSession("EAST", "COM2");
    StartSession("EAST", "COM1", "bert", 1765001000);
    RasPortRecord extra;
    extra.name = "COM3";
    SavePort("EAST", extra);
    view->QuickRefresh();
    ASSERT_EQ(model->rowCount(), 2) << "the quick refresh adds no rows";
    EXPECT_EQ(model->RowAt(1).user, "");
    EXPECT_EQ(model->RowAt(1).started, " ");
    EXPECT_EQ(model->RowAt(1).image, 3);
    EXPECT_EQ(model->RowAt(0).user, "OSTERHALL\\bert");
    EXPECT_EQ(model->RowAt(0).image, 4);

    view->FullRefresh();
    EXPECT_EQ(model->rowCount(), 3);
}

TEST_F(PortsTest, DoubleClickOpensTheSheetOfTheHighestSelectedRow)
{
    std::vector<std::string> opened;
    ManagerExtensions ext;
    ext.portProperties = [&opened](QWidget*, const std::string& port, const std::string& server) {
        opened.push_back(port + " on " + server);
    };
    OpenManager(ext);
    CPortsView* view = ShowPorts("Servers");
    view->OpenPortProperties();
    EXPECT_TRUE(opened.empty()) << "nothing selected, nothing opened";
    auto* selection = view->List()->selectionModel();
    selection->select(view->Model()->index(3, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    selection->select(view->Model()->index(1, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view->OpenPortProperties();
    EXPECT_EQ(opened, (std::vector<std::string>{"ISDN1 on WEST"}));
}

TEST_F(PortsTest, PanelShowsTheSessionAndBeepsOnChanges)
{
    OpenManager();
    CNewPort* panel = ShowPort("EAST", "COM2");
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->Title(), "COM2 on EAST");
    EXPECT_TRUE(panel->UserConnected());
    EXPECT_EQ(panel->TimerInterval(), 5000);
    EXPECT_EQ(panel->LineText(PortStatusLines::UserAccount), "User name:  OSTERHALL\\anna");
    EXPECT_EQ(panel->LineText(PortStatusLines::ComputerName), "Computer name:  ANNA-PC");
    EXPECT_EQ(panel->LineText(PortStatusLines::IpAddress), "IP address:  10.1.2.3");
    EXPECT_EQ(panel->LineText(PortStatusLines::LineCondition), "Line condition:  AUTHENTICATED");
    EXPECT_EQ(panel->LineText(PortStatusLines::MediaType), "Media type:  SERIAL");
    ASSERT_EQ(m_ui.m_beeps.size(), 1u);
    EXPECT_EQ(m_ui.m_beeps[0], (std::pair<unsigned, unsigned>{6000, 200}));

    // An unchanged port rewrites no line.
    const int rewrites = panel->Rewrites();
    panel->OnTimerTick();
    EXPECT_EQ(panel->Rewrites(), rewrites);

    EndSession("EAST", "COM2");
    panel->OnTimerTick();
    EXPECT_FALSE(panel->UserConnected());
    EXPECT_EQ(panel->LineText(PortStatusLines::UserAccount), "User name:  ");
    EXPECT_EQ(panel->LineText(PortStatusLines::UsingPpp), "Using PPP:  ");
    EXPECT_EQ(m_ui.m_beeps.back(), (std::pair<unsigned, unsigned>{300, 200}));
}

TEST_F(PortsTest, PanelButtonsAreInertWithoutUserExceptReset)
{
    OpenManager();
    CNewPort* panel = ShowPort("EAST", "COM1");
    ASSERT_NE(panel, nullptr);
    ASSERT_FALSE(panel->UserConnected());
    const QPoint disconnect = panel->ButtonRect(CNewPort::Disconnect).center();
    panel->OnCursorAt(disconnect);
    EXPECT_EQ(panel->ToolTipText(), "Disconnect Session") << "tooltips still show";
    EXPECT_EQ(panel->StateOf(CNewPort::Disconnect), CNewPort::Flat);
    panel->OnLeftDown(disconnect);
    panel->OnLeftUp(disconnect);
    const QPoint message = panel->ButtonRect(CNewPort::SendMessage).center();
    panel->OnCursorAt(message);
    panel->OnLeftDown(message);
    EXPECT_TRUE(m_ui.m_messages.empty());

    const QPoint reset = panel->ButtonRect(CNewPort::ResetStatistics).center();
    panel->OnCursorAt(reset);
    EXPECT_EQ(panel->StateOf(CNewPort::ResetStatistics), CNewPort::Raised);
    m_ui.QueueAnswer(Answer::No);
    panel->OnLeftDown(reset);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text, "Are you sure you want to reset the statistic counters for this port?");
    panel->OnCursorAt(QPoint(-5, -5));
    EXPECT_FALSE(panel->ToolTipActive());
}

TEST_F(PortsTest, DisconnectAsksAndOnlyYesEndsTheSession)
{
    OpenManager();
    CNewPort* panel = ShowPort("EAST", "COM2");
    ASSERT_TRUE(panel->UserConnected());
    const QPoint disconnect = panel->ButtonRect(CNewPort::Disconnect).center();
    m_ui.QueueAnswer(Answer::No);
    panel->OnCursorAt(disconnect);
    panel->OnLeftDown(disconnect);
    panel->OnLeftUp(disconnect);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text,
              "Are you sure you want to disconnect the current user?\n\nOSTERHALL\\anna on COM2 (EAST)");
    RasPortRecord record;
    RasPortStore("EAST").Find("COM2", record);
    EXPECT_EQ(record.user, "anna") << "No leaves the session";

    m_ui.QueueAnswer(Answer::Yes);
    panel->OnCursorAt(disconnect);
    panel->OnLeftDown(disconnect);
    RasPortStore("EAST").Find("COM2", record);
    EXPECT_EQ(record.user, "");
}

TEST_F(PortsTest, FailedQueryReportsOnceAndKeepsTheLastTexts)
{
    OpenManager();
    CNewPort* panel = ShowPort("EAST", "COM2");
    ASSERT_NE(panel, nullptr);
    RasPortStore("EAST").RemovePort("COM2");
    panel->OnTimerTick();
    panel->OnTimerTick();
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text,
              "Error when retrieving data from RAS port.\nNo data will be available for this port.");
    EXPECT_EQ(m_ui.m_messages[0].icon, Icon::Error);
    EXPECT_TRUE(panel->HasFailed());
    EXPECT_EQ(panel->LineText(PortStatusLines::UserAccount), "User name:  OSTERHALL\\anna")
        << "the last texts stay";
}
