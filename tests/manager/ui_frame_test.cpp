#include "tests/manager/ui_fixture.h"

#include "manager/ui/tree/dmview.h"
#include "manager/ui/frame/flattoolbar.h"
#include "manager/ui/views/introview.h"
#include "manager/ui/views/newport.h"
#include "manager/ui/views/portsview.h"
#include "manager/ui/frame/viewswitchbar.h"
#include "platform/registry/registry.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace dm;
using namespace dm::test;

namespace {

// A right pane standing in for the later views: it counts its updates.
class FakePane : public QLabel, public DocumentObserver {
public:
    FakePane(CDMDoc& doc, QWidget* parent, const char* name) : QLabel(name, parent), m_doc(doc)
    {
        setObjectName(name);
        m_doc.AddObserver(this);
    }
    ~FakePane() override { m_doc.RemoveObserver(this); }
    void OnDocumentUpdate(DocumentObserver*, int hintValue) override { hints.push_back(hintValue); }
    std::vector<int> hints;

private:
    CDMDoc& m_doc;
};

ManagerExtensions FakeViews()
{
    ManagerExtensions ext;
    ext.usersView = [](CDMDoc& doc, QWidget* parent) { return new FakePane(doc, parent, "users"); };
    ext.historyView = [](CDMDoc& doc, QWidget* parent) { return new FakePane(doc, parent, "history"); };
    ext.graphView = [](CDMDoc& doc, QWidget* parent) { return new FakePane(doc, parent, "graphs"); };
    ext.historyBar = [](CDMDoc&, QWidget* parent) { return new QLabel("scope bar", parent); };
    return ext;
}

class FrameTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        AddRasServer("EAST", {"COM1", "COM2"}, true);
        OpenManager(FakeViews());
    }
    void Select(const QString& text)
    {
        QTreeWidgetItem* item = Tree().FindNode(text);
        ASSERT_NE(item, nullptr) << text.toStdString();
        Tree().SelectNode(item);
    }
    bool SaveEnabled() const { return m_frame->ToolBar()->IsButtonEnabled(3); }
    bool PrintEnabled() const { return m_frame->ToolBar()->IsButtonEnabled(4); }
};

} // namespace

TEST_F(FrameTest, SelectionAndModePickThePane)
{
    EXPECT_EQ(m_frame->CurrentPane(), PaneKind::Intro);
    EXPECT_NE(qobject_cast<CIntroView*>(m_frame->RightPane()), nullptr);

    Select("Servers");
    EXPECT_EQ(m_frame->CurrentPane(), PaneKind::Ports);
    EXPECT_NE(qobject_cast<CPortsView*>(m_frame->RightPane()), nullptr);
    Tree().ServersRoot()->setExpanded(true);
    Tree().FindNode("EAST")->setExpanded(true);
    Select("COM2");
    EXPECT_EQ(m_frame->CurrentPane(), PaneKind::PortStatus);
    EXPECT_NE(qobject_cast<CNewPort*>(m_frame->RightPane()), nullptr);
    EXPECT_EQ(m_doc->CurrentSelection().port, "COM2");
    EXPECT_EQ(m_doc->CurrentSelection().server, "EAST");

    // History: the history view and its bar; back to Status: the panel, no bar.
    m_frame->SwitchBar()->SetMode(1);
    m_doc->SetViewMode(ModeHistory);
    EXPECT_EQ(m_frame->CurrentPane(), PaneKind::History);
    EXPECT_EQ(m_frame->RightPane()->objectName(), "history");
    ASSERT_NE(m_frame->HistoryBar(), nullptr);
    EXPECT_TRUE(m_frame->HistoryBar()->isVisibleTo(m_frame.get()));
    m_doc->SetViewMode(ModeStatus);
    EXPECT_EQ(m_frame->CurrentPane(), PaneKind::PortStatus);
    EXPECT_FALSE(m_frame->HistoryBar()->isVisibleTo(m_frame.get()));

    m_doc->SetViewMode(ModeGraphs);
    EXPECT_EQ(m_frame->RightPane()->objectName(), "graphs");
    m_doc->SetViewMode(ModeStatus);
    Select("DEFAULT PROFILE");
    EXPECT_EQ(m_frame->CurrentPane(), PaneKind::Users);
    EXPECT_EQ(m_doc->CurrentSelection().user, "DEFAULT");
}

TEST_F(FrameTest, PortWithUnsetNameShowsThePortsListInStatusMode)
{
    Select("Servers");
    m_doc->CurrentSelection().port = "*";
    m_doc->CurrentSelection().server = "EAST";
    m_doc->SelectItem(nullptr, KindPort);
    EXPECT_EQ(m_frame->CurrentPane(), PaneKind::Ports);
}

TEST_F(FrameTest, SaveAndPrintButtonsFollowThePane)
{
    EXPECT_FALSE(SaveEnabled());
    for (int mode : {0, 1, 2}) {
        m_doc->SetViewMode(mode);
        EXPECT_EQ(m_frame->CurrentPane(), PaneKind::Intro) << "nothing selected, mode " << mode;
        EXPECT_FALSE(SaveEnabled());
        EXPECT_FALSE(PrintEnabled());
    }
    m_doc->SetViewMode(ModeStatus);
    Select("Servers");
    EXPECT_FALSE(SaveEnabled()) << "ports list";
    Select("Accounts");
    EXPECT_TRUE(SaveEnabled()) << "users view";
    EXPECT_TRUE(PrintEnabled());
    EXPECT_TRUE(m_frame->Action(Command::SaveAs)->isEnabled());
    m_doc->SetViewMode(ModeHistory);
    EXPECT_TRUE(SaveEnabled());
    m_doc->SetViewMode(ModeGraphs);
    EXPECT_TRUE(PrintEnabled());
    m_doc->SetViewMode(ModeStatus);
    Select("EAST");
    EXPECT_FALSE(SaveEnabled());
    EXPECT_FALSE(m_frame->Action(Command::Print)->isEnabled());
}

TEST_F(FrameTest, ToolbarSaveSendsHint73ToEveryView)
{
    Select("Accounts");
    auto* pane = dynamic_cast<FakePane*>(m_frame->RightPane());
    ASSERT_NE(pane, nullptr);
    pane->hints.clear();
    QSignalSpy commands(m_frame->ToolBar(), &CFlatToolBar::commandTriggered);
    const QPoint save = m_frame->ToolBar()->ButtonRect(3).center();
    m_frame->ToolBar()->TrackCursor(save);
    QTest::mouseClick(m_frame->ToolBar(), Qt::LeftButton, Qt::NoModifier, save);
    ASSERT_EQ(commands.count(), 1);
    EXPECT_EQ(commands.at(0).at(0).toInt(), 1003);
    EXPECT_EQ(pane->hints, (std::vector<int>{hint::SaveAs}));
    m_frame->OnToolbarCommand(1004);
    EXPECT_EQ(pane->hints.back(), hint::Print);
}

TEST_F(FrameTest, DisabledToolbarButtonSendsNothing)
{
    QSignalSpy commands(m_frame->ToolBar(), &CFlatToolBar::commandTriggered);
    const QPoint print = m_frame->ToolBar()->ButtonRect(4).center();
    m_frame->ToolBar()->TrackCursor(print);
    EXPECT_EQ(m_frame->ToolBar()->ButtonState(4), CFlatToolBar::State::Disabled);
    QTest::mouseClick(m_frame->ToolBar(), Qt::LeftButton, Qt::NoModifier, print);
    EXPECT_EQ(commands.count(), 0);
    EXPECT_EQ(m_frame->ToolBar()->ToolTipText(0), "Add RAS server");
    EXPECT_EQ(m_frame->ToolBar()->ToolTipText(5), "Help");
}

TEST_F(FrameTest, HelpContextAndAbout)
{
    EXPECT_EQ(m_frame->HelpContext(), 1);
    Tree().ServersRoot()->setExpanded(true);
    Tree().FindNode("EAST")->setExpanded(true);
    Select("COM1");
    EXPECT_EQ(m_frame->HelpContext(), 100);
    // Each pane opens its own page.
    m_doc->SetViewMode(ModeHistory);
    EXPECT_EQ(m_frame->HelpContext(), 110);
    m_doc->SetViewMode(ModeGraphs);
    EXPECT_EQ(m_frame->HelpContext(), 130);
    Tree().AccountsRoot()->setExpanded(true);
    Select("Accounts");
    m_doc->SetViewMode(ModeStatus);
    EXPECT_EQ(m_frame->HelpContext(), 120);
    Select("Servers");
    EXPECT_EQ(m_frame->HelpContext(), 140) << "the ports list has its own page";

    Select("EAST");
    m_frame->RunCommand(Command::About);
    EXPECT_EQ(m_frame->CurrentPane(), PaneKind::Intro);
    EXPECT_EQ(Tree().currentItem()->text(0), "EAST") << "the tree keeps its selection";
}

TEST_F(FrameTest, LaterWindowsStayVisibleAndDisabled)
{
    m_frame->UpdateCommandStates();
    for (Command command : {Command::Greetings, Command::Reports, Command::ExportPermissions,
                            Command::ImportPermissions, Command::SystemSettings}) {
        QAction* action = m_frame->Action(command);
        ASSERT_NE(action, nullptr);
        EXPECT_TRUE(action->isVisible());
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    }
    EXPECT_TRUE(m_frame->Action(Command::Options)->isEnabled());
    EXPECT_TRUE(m_frame->Action(Command::AddServer)->isEnabled());
    EXPECT_EQ(m_frame->Action(Command::Refresh)->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(m_frame->Action(Command::Print)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    EXPECT_EQ(m_frame->Action(Command::Delete)->shortcut(), QKeySequence(Qt::Key_Delete));
    EXPECT_EQ(m_frame->Action(Command::About)->text(), "&About Dialminder...");
}

TEST_F(FrameTest, ClosingSavesTheManagerSettings)
{
    m_doc->Settings().interval = 45;
    m_frame->close();
    RegKey hive, key;
    ASSERT_EQ(RegOpenLocalMachine(hive), 0u);
    ASSERT_EQ(hive.OpenKey(ManagerSettings::KeyPath, key), 0u);
    std::uint32_t interval = 0;
    EXPECT_EQ(key.QueryDword("Interval", interval), 0u);
    EXPECT_EQ(interval, 45u);
}

TEST_F(FrameTest, CountersOnTheSwitchBar)
{
    // The ports the tree lists from its first paint.
    EXPECT_EQ(m_frame->SwitchBar()->CountersText(), " Servers: 1        Ports: 2        Busy Ports: 0");
    // Where the full text does not fit the same numbers close up, then wrap.
    CViewSwitchBar* bar = m_frame->SwitchBar();
    EXPECT_EQ(bar->CountersLines(2000), QStringList{bar->CountersText()});
    EXPECT_EQ(bar->CountersLines(bar->fontMetrics().horizontalAdvance("Servers: 1   Ports: 2   Busy Ports: 0")),
              QStringList{"Servers: 1   Ports: 2   Busy Ports: 0"});
    EXPECT_EQ(bar->CountersLines(10), (QStringList{"Servers: 1   Ports: 2", "Busy Ports: 0"}));
    EXPECT_LE(bar->minimumSizeHint().width(), 420) << "tabs and counters fit beside the toolbar at 800 pixels";
    EXPECT_EQ(m_frame->SwitchBar()->TabRect(1).width(), 80);
    EXPECT_EQ(m_frame->SwitchBar()->toolTip(), "Switch type of view");
}

TEST_F(FrameTest, At800x600TheTreeAndTheCountersStayWhole)
{
    m_frame->resize(1280, 800);
    m_frame->show();
    m_frame->resize(800, 600);
    QApplication::processEvents();
    EXPECT_LE(m_frame->minimumSizeHint().width(), 800);
    EXPECT_LE(m_frame->minimumSizeHint().height(), 600);
    // The tree keeps its width; the right pane gives way.
    EXPECT_EQ(Tree().width(), CMainFrame::kTreeWidth);
    // Every counter is drawn whole beside the tabs.
    CViewSwitchBar* bar = m_frame->SwitchBar();
    const int room = bar->width() - (bar->TabRect(2).right() + 16);
    for (const QString& line : bar->CountersLines(room))
        EXPECT_LE(bar->fontMetrics().horizontalAdvance(line), room) << line.toStdString();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_LE(bar->geometry().right(), m_frame->width());
}

TEST_F(FrameTest, TheViewSwitchTakesTheFocusAndTheTreeMenuOpensFromTheKeyboard)
{
    m_frame->show();
    m_frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame.get()));
    Tree().ServersRoot()->setExpanded(true);
    Select("EAST");
    CViewSwitchBar* bar = m_frame->SwitchBar();
    EXPECT_EQ(bar->focusPolicy(), Qt::StrongFocus);
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Right);
    EXPECT_EQ(m_doc->ViewMode(), ModeHistory);
    QTest::keyClick(bar, Qt::Key_End);
    EXPECT_EQ(m_doc->ViewMode(), ModeGraphs);
    QTest::keyClick(bar, Qt::Key_Home);
    EXPECT_EQ(m_doc->ViewMode(), ModeStatus);
    EXPECT_EQ(bar->Mode(), ModeStatus);

    // The Menu key and Shift+F10 on the tree open the selected node's menu.
    for (const auto& [key, modifiers] : {std::pair{Qt::Key_Menu, Qt::NoModifier},
                                         std::pair{Qt::Key_F10, Qt::ShiftModifier}}) {
        m_frame->activateWindow();
        Tree().setFocus();
        QString shown;
        QTimer::singleShot(0, [&] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                if (auto* menu = qobject_cast<QMenu*>(popup); menu && !menu->actions().isEmpty())
                    shown = menu->actions().first()->text();
                popup->close();
            }
        });
        QTest::keyClick(&Tree(), key, modifiers);
        EXPECT_FALSE(shown.isEmpty()) << "no pop-up menu for key " << key;
        EXPECT_EQ(Tree().currentItem()->text(0), "EAST");
    }
}
