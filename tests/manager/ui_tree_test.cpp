#include "tests/manager/ui_fixture.h"

#include "manager/ui/tree/dmview.h"
#include "manager/ui/frame/portcounters.h"
#include "manager/ui/tree/porttotalthread.h"
#include "manager/core/dmdoc.h"
#include "manager/core/porttotals.h"
#include "platform/ras/rasportstore.h"

#include <atomic>
#include "platform/files/network.h"

#include <QCoreApplication>
#include "platform/registry/registry.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

using namespace dm;
using namespace dm::test;

namespace {

QStringList ChildTexts(QTreeWidgetItem* item)
{
    QStringList texts;
    for (int i = 0; i < item->childCount(); ++i)
        texts << item->child(i)->text(0);
    return texts;
}

QStringList MenuTexts(QMenu* menu)
{
    QStringList texts;
    for (QAction* action : menu->actions())
        texts << action->text();
    return texts;
}

class TreeTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        AddRasServer("EAST", {"COM1", "COM2", "ISDN1"}, true);
        AddRasServer("WEST", {});
        StartSession("EAST", "COM2", "anna", 1765000000);
        AddDomain("OSTERHALL", "OSTERDC", {{"anna", 9}, {"bert", 1}, {"carl", 0}}, {"Sales", "Staff"});
    }
    QTreeWidgetItem* Node(const QString& text) { return Tree().FindNode(text); }
    bool ServerMonitored(const std::string& name)
    {
        RegKey hive, key;
        RegOpenLocalMachine(hive);
        return hive.OpenKey("Software\\Osterhall Software\\Dialminder\\Servers\\" + name, key) == 0;
    }
};

} // namespace

TEST_F(TreeTest, RebuildShowsRootsServersAndPlaceholders)
{
    OpenManager();
    ASSERT_EQ(Tree().topLevelItemCount(), 2);
    EXPECT_EQ(CDMView::ImageOf(Tree().ServersRoot()), 0);
    EXPECT_EQ(CDMView::ImageOf(Tree().AccountsRoot()), 6);
    EXPECT_EQ(ChildTexts(Tree().ServersRoot()), (QStringList{"EAST", "WEST"}));
    EXPECT_EQ(CDMView::ImageOf(Node("EAST")), 1);
    // The build reads every server: its ports show from the first paint, a
    // server without ports has the rebuild's placeholder.
    EXPECT_EQ(ChildTexts(Node("EAST")), (QStringList{"COM1", "COM2", "ISDN1"}));
    ASSERT_EQ(Node("WEST")->childCount(), 1);
    EXPECT_EQ(Node("WEST")->child(0)->text(0), "No ports available");
    EXPECT_EQ(CDMView::ImageOf(Node("WEST")->child(0)), 5);
    EXPECT_EQ(ChildTexts(Tree().AccountsRoot()), (QStringList{"DEFAULT PROFILE", "OSTERHALL"}));
    EXPECT_EQ(CDMView::ImageOf(Node("DEFAULT PROFILE")), 12);
    EXPECT_EQ(CDMView::ImageOf(Node("OSTERHALL")), 9);
    EXPECT_EQ(ChildTexts(Node("OSTERHALL")), (QStringList{"DUMMY"}));
    EXPECT_EQ(m_frame->Counters().servers.load(), 2);
    EXPECT_EQ(m_frame->Counters().ports.load(), 3) << "the bar counts what the tree shows, before any pass";
    EXPECT_EQ(m_frame->Counters().busyPorts.load(), 1);
}

TEST_F(TreeTest, ExpandingServersFillsPortsWithTheirImages)
{
    OpenManager();
    Node("EAST")->setExpanded(true);
    EXPECT_EQ(ChildTexts(Node("EAST")), (QStringList{"COM1", "COM2", "ISDN1"}));
    EXPECT_EQ(CDMView::ImageOf(Node("COM1")), 3);
    EXPECT_EQ(CDMView::ImageOf(Node("COM2")), 4);
    // A server without RAS ports: exactly one placeholder with image 13.
    Node("WEST")->setExpanded(true);
    ASSERT_EQ(Node("WEST")->childCount(), 1);
    EXPECT_EQ(CDMView::ImageOf(Node("WEST")->child(0)), 13);

    // Re-expanding "Servers" re-inserts from the tables and recounts.
    Tree().ServersRoot()->setExpanded(false);
    Tree().ServersRoot()->setExpanded(true);
    EXPECT_EQ(ChildTexts(Tree().FindNode("EAST", Tree().ServersRoot())), (QStringList{"COM1", "COM2", "ISDN1"}));
    EXPECT_EQ(m_frame->Counters().ports.load(), 3);
    EXPECT_EQ(m_frame->Counters().busyPorts.load(), 1);
}

TEST_F(TreeTest, DomainsListGroupsAndUsersWithDialInIcons)
{
    OpenManager();
    Node("OSTERHALL")->setExpanded(true);
    EXPECT_EQ(ChildTexts(Node("OSTERHALL")), (QStringList{"Sales", "Staff", "anna", "bert", "carl"}));
    EXPECT_EQ(CDMView::ImageOf(Node("Sales")), 10);
    EXPECT_EQ(CDMView::ImageOf(Node("anna")), 8);
    EXPECT_EQ(CDMView::ImageOf(Node("bert")), 14) << "no dial-in bit";
    EXPECT_EQ(CDMView::ImageOf(Node("carl")), 14) << "no permission at all";

    m_doc->Settings().userIcons = false;
    Node("OSTERHALL")->setExpanded(false);
    Node("OSTERHALL")->setExpanded(true);
    EXPECT_EQ(CDMView::ImageOf(Node("bert")), 8);
    EXPECT_EQ(CDMView::ImageOf(Node("carl")), 8);
}

TEST_F(TreeTest, SelectionTextsByNode)
{
    OpenManager();
    Node("OSTERHALL")->setExpanded(true);
    Tree().SelectNode(Node("Sales"));
    EXPECT_EQ(m_doc->CurrentKind(), KindAccount);
    EXPECT_EQ(m_doc->CurrentSelection().group, "Sales");
    EXPECT_EQ(m_doc->CurrentSelection().domain, "OSTERHALL");
    EXPECT_EQ(m_doc->CurrentSelection().user, "*");
    Tree().SelectNode(Node("bert"));
    EXPECT_EQ(m_doc->CurrentSelection().user, "bert");
    EXPECT_EQ(m_doc->CurrentSelection().group, "*");
    EXPECT_EQ(m_doc->CurrentSelection().image, 14);
    Tree().SelectNode(Tree().AccountsRoot());
    EXPECT_TRUE(m_doc->CurrentSelection().accountsRootSelected);
    EXPECT_EQ(CDMView::ImageOf(Tree().AccountsRoot()), 7) << "the open picture while selected";
    Tree().SelectNode(Node("EAST"));
    EXPECT_EQ(CDMView::ImageOf(Tree().AccountsRoot()), 6);
    EXPECT_EQ(m_doc->CurrentKind(), KindServer);
    EXPECT_EQ(m_doc->CurrentSelection().server, "EAST");
}

TEST_F(TreeTest, SelectionWaitsForTheIntroView)
{
    m_qtui = std::make_unique<QtUserInteraction>();
    m_doc = std::make_unique<CDMDoc>(m_ui);
    m_frame = std::make_unique<CMainFrame>(*m_doc, *m_qtui);
    m_doc->SetFrame(m_frame.get());
    m_doc->OnNewDocument();
    Tree().SelectNode(Tree().FindNode("EAST"));
    EXPECT_EQ(m_doc->CurrentKind(), KindNone);
    EXPECT_EQ(m_frame->CurrentPane(), PaneKind::Intro);
}

TEST_F(TreeTest, ContextMenusPerImage)
{
    ManagerExtensions ext;
    ext.portProperties = [](QWidget*, const std::string&, const std::string&) {};
    OpenManager(ext);
    Node("EAST")->setExpanded(true);
    Node("OSTERHALL")->setExpanded(true);

    auto servers = Tree().CreateContextMenu(Tree().ServersRoot());
    ASSERT_TRUE(servers);
    EXPECT_EQ(MenuTexts(servers.get()), (QStringList{"Add Server...", "System Settings...", "Refresh"}));
    EXPECT_FALSE(servers->actions()[1]->isEnabled()) << "its sheet is not part of this build";

    Tree().SelectNode(Node("EAST"));
    auto server = Tree().CreateContextMenu(Node("EAST"));
    EXPECT_EQ(MenuTexts(server.get()), (QStringList{"Add &Server...", "&Delete...", "&Properties"}));
    EXPECT_TRUE(server->actions()[1]->isEnabled());

    auto port = Tree().CreateContextMenu(Node("COM1"));
    EXPECT_EQ(MenuTexts(port.get()), (QStringList{"&Properties...", "Check &Access..."}));
    EXPECT_TRUE(port->actions()[0]->isEnabled()) << "database known and the sheet registered";
    EXPECT_FALSE(port->actions()[1]->isEnabled()) << "Check Access is not part of this build";
    EXPECT_EQ(MenuTexts(Tree().CreateContextMenu(Node("anna")).get()),
              (QStringList{"&Properties...", "Check &Access..."}));
    EXPECT_EQ(MenuTexts(Tree().CreateContextMenu(Node("Sales")).get()), (QStringList{"&Properties"}));
    EXPECT_EQ(MenuTexts(Tree().CreateContextMenu(Node("DEFAULT PROFILE")).get()), (QStringList{"&Properties..."}));
    EXPECT_FALSE(Tree().CreateContextMenu(Tree().AccountsRoot()));
    EXPECT_FALSE(Tree().CreateContextMenu(Node("OSTERHALL")));
}

TEST_F(TreeTest, RightClickOnEmptySpaceChangesNothing)
{
    OpenManager();
    Tree().SelectNode(Node("EAST"));
    Tree().resize(240, 400);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(100, 390), QPoint(100, 390));
    QCoreApplication::sendEvent(Tree().viewport(), &event);
    EXPECT_EQ(Tree().currentItem(), Node("EAST"));
    EXPECT_EQ(m_doc->CurrentSelection().server, "EAST");
}

TEST_F(TreeTest, RemovingAServerAsksFirst)
{
    OpenManager();
    Tree().SelectNode(Node("WEST"));
    ASSERT_TRUE(Tree().CanDeleteServer());
    m_ui.QueueAnswer(Answer::No);
    Tree().DeleteSelectedServer();
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text, "Do you really want to remove WEST from the list of monitored servers?");
    EXPECT_EQ(m_ui.m_messages[0].buttons, Buttons::YesNo);
    EXPECT_EQ(m_ui.m_messages[0].icon, Icon::Question);
    EXPECT_TRUE(ServerMonitored("WEST"));
    EXPECT_NE(Node("WEST"), nullptr);

    m_ui.QueueAnswer(Answer::Yes);
    Tree().SelectNode(Node("WEST"));
    Tree().DeleteSelectedServer();
    EXPECT_FALSE(ServerMonitored("WEST"));
    EXPECT_TRUE(ServerMonitored("EAST"));
    EXPECT_EQ(Node("WEST"), nullptr) << "the tree was rebuilt";
    EXPECT_EQ(ChildTexts(Tree().ServersRoot()), (QStringList{"EAST"}));

    Tree().SelectNode(Node("DEFAULT PROFILE"));
    EXPECT_FALSE(Tree().CanDeleteServer());
}

TEST_F(TreeTest, TimerFollowsTheInterval)
{
    SetDword(Network::LocalComputerName(), ManagerSettings::KeyPath, "Interval", 60);
    OpenManager();
    EXPECT_EQ(m_doc->Settings().interval, 60);
    EXPECT_EQ(Tree().TimerInterval(), 30000) << "seconds below 5000 arm the default";
}

namespace {

PortTotals BarTotals(const PortCounters& counters)
{
    return {counters.servers.load(), counters.ports.load(), counters.busyPorts.load()};
}

} // namespace

TEST_F(TreeTest, SwitchBarCountsWhatTheTreeShowsAfterEveryPass)
{
    // NOCOMP answers with four ports but runs no server component: the tree
    // lists none of them, so neither does the bar.
    AddRasServer("NOCOMP", {"COM1", "COM2", "COM3", "COM4"});
    RegKey hive;
    ASSERT_EQ(RegConnectRegistry("\\\\NOCOMP", hive), 0u);
    ASSERT_EQ(hive.DeleteTree("Software\\Microsoft\\RAS\\AdminDLL"), 0u);
    OpenManager();
    EXPECT_EQ(Tree().ShownTotals(), (PortTotals{3, 3, 1}));
    EXPECT_EQ(BarTotals(m_frame->Counters()), Tree().ShownTotals());
    EXPECT_FALSE(Node("NOCOMP")->toolTip(0).isEmpty()) << "says why no port is listed";

    std::vector<std::vector<ServerEntry>> passes;
    PortTotalThread thread(*m_doc, [&passes](std::vector<ServerEntry> tables) { passes.push_back(tables); });
    thread.SetServers(m_doc->ServerNames());
    StartSession("EAST", "COM1", "bert", 1765000500);
    thread.CountOnce();
    ASSERT_EQ(passes.size(), 1u);
    ASSERT_EQ(passes[0].size(), 3u) << "one table a listed server, in the tree's order";
    EXPECT_EQ(CountListedPorts(passes[0]), (PortTotals{3, 3, 2}));
    EXPECT_EQ(m_frame->Counters().busyPorts.load(), 1) << "a pass alone changes nothing shown";

    m_frame->TakePortTables(passes[0]);
    EXPECT_EQ(CDMView::ImageOf(Tree().FindNode("COM1", Node("EAST"))), 4);
    EXPECT_EQ(Tree().ShownTotals(), (PortTotals{3, 3, 2}));
    EXPECT_EQ(BarTotals(m_frame->Counters()), Tree().ShownTotals());

    // A port that goes away leaves the tree and the bar together; the
    // selection on a port that stays is kept.
    Tree().SelectNode(Tree().FindNode("COM2", Node("EAST")));
    ASSERT_EQ(RasPortStore("EAST").RemovePort("ISDN1"), 0u);
    thread.CountOnce();
    m_frame->TakePortTables(passes.back());
    EXPECT_EQ(ChildTexts(Node("EAST")), (QStringList{"COM1", "COM2"}));
    EXPECT_EQ(Tree().currentItem()->text(0), "COM2");
    EXPECT_EQ(BarTotals(m_frame->Counters()), (PortTotals{3, 2, 2}));
}

TEST_F(TreeTest, PortTotalThreadPassesOnItsOwn)
{
    OpenManager();
    std::atomic<int> delivered{0};
    PortTotalThread thread(
        *m_doc, [&delivered](std::vector<ServerEntry> tables) { delivered += static_cast<int>(tables.size()); },
        std::chrono::milliseconds(20));
    thread.SetServers({"EAST", "WEST"});
    thread.Start(true);
    for (int i = 0; i < 200 && thread.Passes() < 2; ++i)
        QTest::qWait(10);
    EXPECT_GE(thread.Passes(), 2);
    EXPECT_GE(delivered.load(), 4);
}
