// Names that a Windows program wrote in its code page (a single byte such as
// 0xE9 for "é") show as the code page's letters in the tree, the ports list,
// the port panel, the users and history panes and their print-outs, while
// the windows keep asking the core about the stored bytes. Valid UTF-8 is
// shown as it is.

#include "framework/listprinter.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/views/historymodel.h"
#include "manager/ui/views/historypanes.h"
#include "manager/ui/views/logview.h"
#include "manager/ui/views/newport.h"
#include "manager/ui/views/portsmodel.h"
#include "manager/ui/views/portsview.h"
#include "manager/ui/views/usersmodel.h"
#include "manager/ui/views/usersview.h"
#include "common/logrecord.h"
#include "platform/files/pathresolver.h"
#include "tests/manager/ui_fixture.h"

#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace dm;
using namespace dm::test;

namespace {

// A server of the network, named in UTF-8, and a monitored server that is
// not there, named with the code page byte 0xC4 ("NÄH").
const std::string kServer = "S\u00dcD";
const QString kServerShown = QString::fromUtf8("S\u00dcD");
const std::string kGone = "N\xc4H";
const QString kGoneShown = QString::fromUtf8("N\u00c4H");

class CodePageTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        AddRasServer(kServer, {"COM1", "COM\x80", "COM3"}, true);
        StartSession(kServer, "COM1", "Jos\xe9", 1765000000, "JOS\xc9-PC");
        StartSession(kServer, "COM3", "Zo\xc3\xab", 1765000000);
        MonitorServer(kGone);
    }
    QTreeWidgetItem* ServerNode() { return Tree().FindNamed(kServer, Tree().ServersRoot()); }
    QStringList ChildTexts(QTreeWidgetItem* item)
    {
        QStringList texts;
        for (int i = 0; i < item->childCount(); ++i)
            texts << item->child(i)->text(0);
        return texts;
    }
};

} // namespace

TEST_F(CodePageTest, TheTreeShowsLettersAndSelectsTheStoredNames)
{
    // A domain named in code page bytes, and one in UTF-8 whose account
    // database holds them.
    AddDomain("D\xc9V", "DEVDC", {{"anna", 8}});
    AddDomain("\u00d6ST", "OSTDC", {{"ren\xe9", 8}, {"zo\xc3\xab", 8}}, {"Caf\xe9"});
    OpenManager();
    QTreeWidgetItem* server = ServerNode();
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(server->text(0), kServerShown);
    EXPECT_EQ(Tree().FindNode(kServerShown), server);
    server->setExpanded(true);
    // The euro sign is 0x80 in the code page (Latin-1 leaves it a control).
    EXPECT_EQ(ChildTexts(server), (QStringList{"COM1", QString::fromUtf8("COM\u20ac"), "COM3"}));
    EXPECT_EQ(server->child(0)->data(0, CDMView::kImageRole).toInt(), 4) << "expanding found the server by its bytes";

    Tree().SelectNode(server->child(2));
    EXPECT_EQ(m_doc->CurrentSelection().server, kServer);
    EXPECT_EQ(m_doc->CurrentSelection().port, "COM3");

    // The node of a name in code page bytes shows the letters and stands for
    // the bytes: the selection names the server as the registry lists it.
    QTreeWidgetItem* gone = Tree().FindNamed(kGone, Tree().ServersRoot());
    ASSERT_NE(gone, nullptr);
    EXPECT_EQ(gone->text(0), kGoneShown);
    EXPECT_EQ(Tree().FindNamed("N\u00c4H", Tree().ServersRoot()), nullptr) << "the letters are not the name";
    Tree().SelectNode(gone);
    EXPECT_EQ(m_doc->CurrentSelection().server, kGone);

    QTreeWidgetItem* dev = Tree().FindNamed("D\xc9V", Tree().AccountsRoot());
    ASSERT_NE(dev, nullptr);
    EXPECT_EQ(dev->text(0), QString::fromUtf8("D\u00c9V"));
    Tree().SelectNode(dev);
    EXPECT_EQ(m_doc->CurrentSelection().domain, "D\xc9V");

    QTreeWidgetItem* ost = Tree().FindNamed("\u00d6ST", Tree().AccountsRoot());
    ASSERT_NE(ost, nullptr);
    ost->setExpanded(true);
    EXPECT_EQ(ChildTexts(ost),
              (QStringList{QString::fromUtf8("Caf\u00e9"), QString::fromUtf8("ren\u00e9"), QString::fromUtf8("zo\u00eb")}));
    Tree().SelectNode(ost->child(2));
    EXPECT_EQ(m_doc->CurrentSelection().domain, "\u00d6ST");
    EXPECT_EQ(m_doc->CurrentSelection().user, "zo\xc3\xab") << "valid UTF-8 is kept as it is";
    EXPECT_EQ(CDMView::NameOf(Tree().ServersRoot()), "Servers");
}

TEST_F(CodePageTest, ThePortsListShowsLettersAndRefreshesByTheStoredNames)
{
    OpenManager();
    Tree().SelectNode(Tree().ServersRoot());
    auto* view = qobject_cast<CPortsView*>(m_frame->RightPane());
    ASSERT_NE(view, nullptr);
    PortsModel* model = view->Model();
    ASSERT_EQ(model->rowCount(), 4);
    const auto cell = [model](int row, int column) { return model->index(row, column).data().toString(); };
    EXPECT_EQ(cell(0, PortsModel::ColServer), kServerShown);
    EXPECT_EQ(cell(0, PortsModel::ColUser), QString::fromUtf8("OSTERHALL\\Jos\u00e9"));
    EXPECT_EQ(cell(1, PortsModel::ColPort), QString::fromUtf8("COM\u20ac"));
    EXPECT_EQ(cell(2, PortsModel::ColUser), QString::fromUtf8("OSTERHALL\\Zo\u00eb"));
    EXPECT_EQ(model->RowAt(0).serverName, kServer);
    EXPECT_EQ(model->FindRow(kServer, "COM3"), 2);
    const int gone = model->FindRow(kGone, PortsModel::kNotReachable);
    ASSERT_EQ(gone, 3);
    EXPECT_EQ(cell(gone, PortsModel::ColServer), kGoneShown);

    // The quick refresh asks the core about the stored server name: a
    // session that ends and one that starts show in place.
    EndSession(kServer, "COM1");
    StartSession(kServer, "COM\x80", "ren\xe9", 1765000100);
    view->QuickRefresh();
    ASSERT_EQ(model->rowCount(), 4);
    EXPECT_EQ(cell(0, PortsModel::ColUser), "");
    EXPECT_EQ(cell(1, PortsModel::ColUser), QString::fromUtf8("OSTERHALL\\ren\u00e9"));
    EXPECT_EQ(model->RowAt(1).image, 4);
    view->FullRefresh();
    EXPECT_EQ(model->rowCount(), 4) << "a full refresh finds the rows it made";
}

TEST_F(CodePageTest, ThePortPanelShowsLettersInItsTitleAndLines)
{
    OpenManager();
    QTreeWidgetItem* server = ServerNode();
    ASSERT_NE(server, nullptr);
    server->setExpanded(true);
    Tree().SelectNode(server->child(0));
    auto* panel = qobject_cast<CNewPort*>(m_frame->RightPane());
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->ShownServer(), kServer);
    EXPECT_EQ(panel->Title(), QString::fromUtf8("COM1 on S\u00dcD"));
    EXPECT_EQ(panel->LineText(PortStatusLines::UserAccount), QString::fromUtf8("User name:  OSTERHALL\\Jos\u00e9"));
    EXPECT_EQ(panel->LineText(PortStatusLines::ComputerName), QString::fromUtf8("Computer name:  JOS\u00c9-PC"));
    EXPECT_TRUE(m_ui.m_messages.empty()) << "the panel read the port of the stored server name";
}

TEST_F(CodePageTest, UsersAndHistoryPanesAndTheirPrintoutsShowLetters)
{
    WriteFile(m_db / "Dialmind.usr", "[OSTERHALL\\Jos\xe9]\r\nTotalConnects=2\r\n"
                                     "[OSTERHALL\\Zo\xc3\xab]\r\nTotalConnects=1\r\n");
    const std::uint32_t noon = 1764936000;
    const std::filesystem::path day = ResolvePathOrEmpty(DayLogPath(DatabaseDir(), noon));
    std::filesystem::create_directories(day.parent_path());
    WriteFile(day, "[S\xdc" "D\\COM1]\r\n1764930000=C_OSTERHALL\\Jos\xe9\r\n");

    ManagerExtensions extensions;
    extensions.usersView = [](CDMDoc& doc, QWidget* parent) { return new CUsersView(doc, parent); };
    AddHistoryPanes(extensions);
    OpenManager(std::move(extensions));
    Tree().SelectNode(Tree().AccountsRoot());
    auto* users = qobject_cast<CUsersView*>(m_frame->RightPane());
    ASSERT_NE(users, nullptr);
    ASSERT_EQ(users->Model()->rowCount(), 2);
    QStringList shown;
    for (int row = 0; row < 2; ++row)
        shown << users->Model()->index(row, 0).data().toString();
    shown.sort();
    EXPECT_EQ(shown, (QStringList{QString::fromUtf8("OSTERHALL\\Jos\u00e9"), QString::fromUtf8("OSTERHALL\\Zo\u00eb")}));
    const ListPrintout usersPrint = users->Printout();
    QStringList printed{usersPrint.cell(0, 0), usersPrint.cell(1, 0)};
    printed.sort();
    EXPECT_EQ(printed, shown);

    m_doc->SetHistoryDate(noon);
    m_doc->SetBrowseScope(1);
    m_doc->LoadActivityLog();
    CLogView history(*m_doc);
    history.OnDocumentUpdate(nullptr, hint::DocumentLoaded);
    ASSERT_EQ(history.Model()->rowCount(), 1);
    QStringList cells;
    for (int column = 0; column < history.Model()->columnCount(); ++column)
        cells << history.Model()->index(0, column).data().toString();
    EXPECT_TRUE(cells.contains(kServerShown + "\\COM1") || cells.contains(kServerShown)) << cells.join('|').toStdString();
    EXPECT_TRUE(cells.contains(QString::fromUtf8("OSTERHALL\\Jos\u00e9"))) << cells.join('|').toStdString();
    const ListPrintout historyPrint = history.Printout();
    QStringList printedCells;
    for (int column = 0; column < historyPrint.headers.size(); ++column)
        printedCells << historyPrint.cell(0, column);
    EXPECT_TRUE(printedCells.contains(QString::fromUtf8("OSTERHALL\\Jos\u00e9"))) << printedCells.join('|').toStdString();
}
