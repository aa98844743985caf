// The manager as a new user meets it: Delete only where the focus is, the
// ports of unreachable servers, one icon per port state whichever refresh
// ran, "Ready" in the status bar, a full message refusing keys, and a
// refresh rate out of range.

#include "tests/manager/ui_fixture.h"

#include "manager/ui/dialogs/sendmessagedialog.h"
#include "manager/ui/frame/commands.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/views/portsmodel.h"
#include "manager/ui/views/portsview.h"
#include "platform/files/network.h"
#include "platform/ras/rasportstore.h"
#include "platform/registry/registry.h"
#include "tests/support/childprocess.h"

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <QTreeView>

using namespace dm;
using namespace dm::test;

namespace {

class ManagerFaultsTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        AddRasServer("EAST", {"COM1", "COM2"}, true);
        AddRasServer("GONE", {"COM1"});
        RasPortRecord broken;
        broken.name = "COM8";
        broken.lineCondition = 1; // not operational
        broken.hardwareCondition = 3;
        SavePort("EAST", broken);
    }
    CPortsView* ShowPorts(const QString& node)
    {
        // Expanding "Servers" re-inserts its servers: find the node after it.
        Tree().ServersRoot()->setExpanded(true);
        Tree().SelectNode(Tree().FindNode(node));
        return qobject_cast<CPortsView*>(m_frame->RightPane());
    }
    QStringList Rows(CPortsView* view)
    {
        QStringList rows;
        for (int r = 0; r < view->Model()->rowCount(); ++r) {
            const PortsModel::Row& row = view->Model()->RowAt(r);
            rows << QStringLiteral("%1/%2:%3").arg(row.server, row.port).arg(row.image);
        }
        return rows;
    }
    void ShowActive()
    {
        m_frame->resize(900, 600);
        m_frame->show();
        m_frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame.get()));
    }
    bool AskedToRemoveAServer() const
    {
        for (const auto& message : m_ui.m_messages)
            if (message.text.find("Do you really want to remove") != std::string::npos)
                return true;
        return false;
    }
};

} // namespace

TEST_F(ManagerFaultsTest, DeleteInThePortsListLeavesTheTreesServerAlone)
{
    OpenManager();
    ShowActive();
    CPortsView* view = ShowPorts("EAST");
    ASSERT_NE(view, nullptr);
    view->List()->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(view->List()->hasFocus());
    m_frame->UpdateCommandStates();
    EXPECT_FALSE(m_frame->Action(Command::Delete)->isEnabled()) << "the focused view has nothing to delete";
    m_ui.QueueAnswer(Answer::Yes);
    m_frame->RunCommand(Command::Delete);
    EXPECT_FALSE(AskedToRemoveAServer());
    EXPECT_NE(Tree().FindNode("EAST"), nullptr);

    // In the tree the same key removes the selected server, after asking.
    Tree().setFocus(Qt::OtherFocusReason);
    m_frame->UpdateCommandStates();
    EXPECT_TRUE(m_frame->Action(Command::Delete)->isEnabled());
    m_ui.QueueAnswer(Answer::No);
    m_frame->RunCommand(Command::Delete);
    EXPECT_TRUE(AskedToRemoveAServer());
}

TEST_F(ManagerFaultsTest, UnreachableServersKeepTheirPortsWithTheFaultIcon)
{
    Network::SetReachable("GONE", false);
    OpenManager();
    CPortsView* all = ShowPorts("Servers");
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(Rows(all), (QStringList{"EAST/COM1:3", "EAST/COM2:3", "EAST/COM8:5", "GONE/(not reachable):5"}))
        << "an unreachable server without known ports says why it shows none";

    // EAST goes away: its ports stay, each with the fault icon.
    Network::SetReachable("EAST", false);
    all->FullRefresh();
    EXPECT_EQ(Rows(all), (QStringList{"EAST/COM1:5", "EAST/COM2:5", "EAST/COM8:5", "GONE/(not reachable):5"}));
    all->QuickRefresh();
    EXPECT_EQ(Rows(all), (QStringList{"EAST/COM1:5", "EAST/COM2:5", "EAST/COM8:5", "GONE/(not reachable):5"}));

    // Selecting the unreachable server alone shows its last known ports.
    CPortsView* east = ShowPorts("EAST");
    ASSERT_NE(east, nullptr);
    EXPECT_EQ(Rows(east), (QStringList{"EAST/COM1:5", "EAST/COM2:5", "EAST/COM8:5"}));

    // Back on the network: the placeholder gives way to the real ports.
    Network::SetReachable("GONE", true);
    Network::SetReachable("EAST", true);
    all = ShowPorts("Servers");
    EXPECT_EQ(Rows(all), (QStringList{"EAST/COM1:3", "EAST/COM2:3", "EAST/COM8:5", "GONE/COM1:3"}));
}

TEST_F(ManagerFaultsTest, APortThatIsNotOperationalKeepsOneIcon)
{
    OpenManager();
    CPortsView* view = ShowPorts("EAST");
    ASSERT_NE(view, nullptr);
    const int row = view->Model()->FindRow("EAST", "COM8");
    ASSERT_GE(row, 0);
    for (int pass = 0; pass < 3; ++pass) {
        view->FullRefresh();
        EXPECT_EQ(view->Model()->RowAt(row).image, 5) << "full refresh " << pass;
        view->QuickRefresh();
        EXPECT_EQ(view->Model()->RowAt(row).image, 5) << "quick refresh " << pass;
    }
    // The tree agrees as well.
    QTreeWidgetItem* east = Tree().FindNode("EAST");
    east->setExpanded(true);
    EXPECT_EQ(CDMView::ImageOf(Tree().FindNode("COM8", east)), 5);
}

TEST_F(ManagerFaultsTest, TheStatusBarShowsReadyAgainAfterAMenuHint)
{
    OpenManager();
    QStatusBar* bar = m_frame->statusBar();
    EXPECT_EQ(bar->currentMessage(), "Ready");
    QStatusTipEvent hint(QStringLiteral("Adds a RAS server to the monitored servers"));
    QApplication::sendEvent(m_frame.get(), &hint);
    EXPECT_EQ(bar->currentMessage(), "Adds a RAS server to the monitored servers");
    QStatusTipEvent gone((QString()));
    QApplication::sendEvent(m_frame.get(), &gone);
    EXPECT_EQ(bar->currentMessage(), "Ready");
    bar->clearMessage();
    EXPECT_EQ(bar->currentMessage(), "Ready");
}

TEST_F(ManagerFaultsTest, AFullMessageRefusesFurtherKeys)
{
    CSendMessageDialog dialog("ANNA-PC", m_ui);
    QPlainTextEdit* field = dialog.TextField();
    const QString full = QString(150, 'a') + QString(150, 'b');
    field->setPlainText(full);
    QTextCursor cursor = field->textCursor();
    cursor.setPosition(10);
    field->setTextCursor(cursor);
    QTest::keyClicks(field, "XYZ");
    EXPECT_EQ(field->toPlainText(), full) << "the text stays as it is";
    EXPECT_EQ(field->textCursor().position(), 10) << "the cursor does not move";

    // One character below the limit: one key goes in, where it was typed.
    field->setPlainText(full.left(299));
    cursor.setPosition(5);
    field->setTextCursor(cursor);
    QTest::keyClicks(field, "XY");
    EXPECT_EQ(field->toPlainText(), full.left(5) + "X" + full.mid(5, 294));
    EXPECT_EQ(field->textCursor().position(), 6);

    // A paste into a full message keeps what fits.
    field->setPlainText(full.left(297));
    field->moveCursor(QTextCursor::End);
    field->insertPlainText("12345");
    EXPECT_EQ(field->toPlainText(), full.left(297) + "123");
}

TEST_F(ManagerFaultsTest, ARefreshRateBeyondADayStartsWithADay)
{
    SetDword(Network::LocalComputerName(), ManagerSettings::KeyPath, "Interval", 3000000);
    OpenManager();
    EXPECT_EQ(m_doc->Settings().interval, 86400);
    EXPECT_EQ(Tree().TimerInterval(), 86400000);
}

TEST_F(ManagerFaultsTest, AClickOnAnExpanderAfterARebuildOnlyExpands)
{
    OpenManager();
    ShowActive();
    m_doc->OnNewDocument(); // the tree is rebuilt; nothing is selected
    ASSERT_EQ(m_doc->CurrentKind(), KindNone);
    // Taking the focus makes "Servers" current, as Qt does after a rebuild.
    Tree().clearFocus();
    Tree().setFocus(Qt::ActiveWindowFocusReason);
    EXPECT_EQ(m_doc->CurrentKind(), KindNone) << "the focus alone selects nothing";
    Tree().setCurrentItem(Tree().ServersRoot());
    m_doc->SelectItem(nullptr, KindNone); // as "About" leaves it: current node, no selection
    ASSERT_EQ(Tree().currentItem(), Tree().ServersRoot());

    const QRect label = Tree().visualItemRect(Tree().ServersRoot());
    const QPoint expander(label.left() - Tree().indentation() / 2, label.center().y());
    QTest::mouseClick(Tree().viewport(), Qt::LeftButton, {}, expander);
    EXPECT_TRUE(Tree().ServersRoot()->isExpanded());
    EXPECT_EQ(m_doc->CurrentKind(), KindNone) << "the expander selects nothing";
    EXPECT_EQ(m_frame->CurrentPane(), PaneKind::Intro);

    // A click on the label itself selects the node.
    QTest::mouseClick(Tree().viewport(), Qt::LeftButton, {}, label.center());
    EXPECT_EQ(m_doc->CurrentKind(), KindServer);
}

TEST(ManagerWithoutDisplay, SaysSoInOneLineAndEndsWithOne)
{
    const ProgramRun run = RunProgram(std::string(DM_BIN_DIR) + "/dialmind", {},
                                      {"DISPLAY=:97.0", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "dialmind: cannot show the window: no display can be reached (DISPLAY or WAYLAND_DISPLAY)\n");
    // --help needs no display.
    const ProgramRun help = RunProgram(std::string(DM_BIN_DIR) + "/dialmind", {"--help"},
                                       {"DISPLAY=:97.0", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"});
    EXPECT_EQ(help.status, 0);
}

TEST_F(ManagerFaultsTest, AServerWithoutTheServerComponentSaysSoNotUnreachable)
{
    // GONE answers, but the server component is not installed on it.
    RegKey hive;
    ASSERT_EQ(RegConnectRegistry("\\\\GONE", hive), winerr::Success);
    ASSERT_EQ(hive.DeleteTree("Software\\Microsoft\\RAS\\AdminDLL"), winerr::Success);
    OpenManager();
    CPortsView* all = ShowPorts("Servers");
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(Rows(all), (QStringList{"EAST/COM1:3", "EAST/COM2:3", "EAST/COM8:5", "GONE/(no server component):3"}));
    const int row = all->Model()->FindRow("GONE", PortsModel::kNoComponent);
    ASSERT_GE(row, 0);
    EXPECT_NE(all->Model()->index(row, 0).data(Qt::ToolTipRole).toString().indexOf("not installed"), -1);
    const int gone = m_doc->FindServer("GONE");
    ASSERT_NE(gone, kNoServer);
    EXPECT_EQ(m_doc->Servers()[static_cast<size_t>(gone)].state, ServerState::NoComponent);

    // Unreachable stays what it was.
    Network::SetReachable("GONE", false);
    all->FullRefresh();
    EXPECT_EQ(Rows(all), (QStringList{"EAST/COM1:3", "EAST/COM2:3", "EAST/COM8:5", "GONE/(not reachable):5"}));
    EXPECT_EQ(m_doc->Servers()[static_cast<size_t>(gone)].state, ServerState::RegistryUnavailable);
}
