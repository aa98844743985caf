#include "tests/manager/ui_fixture.h"

#include "manager/ui/tree/dmview.h"
#include "manager/ui/views/newport.h"
#include "manager/ui/views/portsmodel.h"
#include "manager/ui/views/portsview.h"
#include "platform/ras/rasportstore.h"

#include <QAbstractItemModelTester>
#include <QTest>
#include <QToolButton>
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
    // Real buttons: the keyboard reaches them and their mnemonics press them.
    for (int b = 0; b < CNewPort::ButtonCount; ++b) {
        QToolButton* button = panel->Button(b);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->geometry(), panel->ButtonRect(b));
        EXPECT_EQ(button->focusPolicy(), Qt::StrongFocus);
        EXPECT_FALSE(QKeySequence::mnemonic(button->text()).isEmpty()) << button->text().toStdString();
    }
    EXPECT_EQ(panel->Button(CNewPort::Disconnect)->toolTip(), "Disconnect Session (Alt+D)") << "tooltips still show";
    EXPECT_EQ(QKeySequence::mnemonic(panel->Button(CNewPort::ResetStatistics)->text()),
              QKeySequence(Qt::ALT | Qt::Key_R));
    // Without a user only Reset Statistics acts.
    EXPECT_FALSE(panel->Button(CNewPort::Disconnect)->isEnabled());
    EXPECT_FALSE(panel->Button(CNewPort::SendMessage)->isEnabled());
    EXPECT_FALSE(panel->Button(CNewPort::UserProperties)->isEnabled());
    panel->Button(CNewPort::Disconnect)->click();
    panel->Button(CNewPort::SendMessage)->click();
    EXPECT_TRUE(m_ui.m_messages.empty());

    ASSERT_TRUE(panel->Button(CNewPort::ResetStatistics)->isEnabled());
    m_ui.QueueAnswer(Answer::No);
    panel->Button(CNewPort::ResetStatistics)->setFocus();
    QTest::keyClick(panel->Button(CNewPort::ResetStatistics), Qt::Key_Space);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text, "Are you sure you want to reset the statistic counters for this port?");
}

TEST_F(PortsTest, DisconnectAsksAndOnlyYesEndsTheSession)
{
    OpenManager();
    CNewPort* panel = ShowPort("EAST", "COM2");
    ASSERT_TRUE(panel->UserConnected());
    ASSERT_TRUE(panel->Button(CNewPort::Disconnect)->isEnabled());
    m_ui.QueueAnswer(Answer::No);
    panel->Button(CNewPort::Disconnect)->click();
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text,
              "Are you sure you want to disconnect the current user?\n\nOSTERHALL\\anna on COM2 (EAST)");
    RasPortRecord record;
    RasPortStore("EAST").Find("COM2", record);
    EXPECT_EQ(record.user, "anna") << "No leaves the session";

    m_ui.QueueAnswer(Answer::Yes);
    panel->Button(CNewPort::Disconnect)->click();
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
