// The manager program's own set of windows (AllExtensions): every pane the
// main window switches to is the real view, not the "not part of this
// version" notice, and every command that opens a window has one.

#include "manager/ui/frame/allextensions.h"
#include "manager/ui/frame/viewswitchbar.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/views/logview.h"
#include "manager/ui/views/usersview.h"
#include "manager/ui/views/useview.h"
#include "tests/manager/ui_fixture.h"

#include <QTreeWidgetItem>

#include <gtest/gtest.h>

using namespace dm;
using namespace dm::test;

namespace {

class AllExtensionsTest : public UiFixture {};

} // namespace

TEST_F(AllExtensionsTest, EveryPaneIsTheRealViewAndEveryWindowCommandOpensOne)
{
    AddRasServer("EAST", {"COM1"}, true);
    AddDomain("OSTERHALL", "OSTERDC", {{"anna", 9}});
    m_qtui = std::make_unique<QtUserInteraction>();
    m_doc = std::make_unique<CDMDoc>(m_ui);
    m_frame = std::make_unique<CMainFrame>(*m_doc, *m_qtui, AllExtensions(*m_doc));
    m_doc->SetFrame(m_frame.get());
    m_doc->OnNewDocument();
    m_doc->SetIntroDrawn();

    Tree().SelectNode(Tree().AccountsRoot());
    EXPECT_EQ(m_frame->CurrentPane(), PaneKind::Users);
    EXPECT_NE(qobject_cast<CUsersView*>(m_frame->RightPane()), nullptr);

    Tree().SelectNode(Tree().ServersRoot()->child(0));
    m_frame->SwitchBar()->SetMode(ModeHistory);
    m_doc->SetViewMode(ModeHistory);
    EXPECT_EQ(m_frame->CurrentPane(), PaneKind::History);
    EXPECT_NE(qobject_cast<CLogView*>(m_frame->RightPane()), nullptr);
    EXPECT_NE(m_frame->HistoryBar(), nullptr);

    m_frame->SwitchBar()->SetMode(ModeGraphs);
    m_doc->SetViewMode(ModeGraphs);
    EXPECT_EQ(m_frame->CurrentPane(), PaneKind::Graphs);
    EXPECT_NE(qobject_cast<CUseView*>(m_frame->RightPane()), nullptr);

    const ManagerExtensions& windows = m_frame->Extensions();
    EXPECT_TRUE(windows.systemSettings && windows.greetings && windows.reports && windows.exportPermissions &&
                windows.importPermissions && windows.defaultProperties && windows.portProperties &&
                windows.userProperties && windows.groupProperties && windows.serverProperties &&
                windows.capacity && windows.checkAccess);
}
