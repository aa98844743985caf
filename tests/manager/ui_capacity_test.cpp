// The Capacity view and the Check Access dialog: what they show and save is
// what dmctl prints for the same inputs, and the frame, tree and users view
// open them.

#include "tests/manager/ui_sheetfixture.h"

#include "framework/csvexport.h"
#include "framework/listprinter.h"
#include "manager/ui/dialogs/checkaccessdialog.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/views/capacitychart.h"
#include "manager/ui/views/capacitytablemodel.h"
#include "manager/ui/views/capacityview.h"
#include "platform/accounts/accountdatabase.h"
#include "tests/dmctl/dmctlrunner.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeEdit>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QToolButton>

using namespace dm;
using namespace dm::test;

namespace {

constexpr std::uint32_t kNov02 = 1793574000; // 2026-11-02 00:00 in Berlin
constexpr std::uint32_t kHour = 3600;

std::string Hangup(std::uint32_t end, std::uint32_t duration, const std::string& user = "OSTERHALL\\anna")
{
    return std::to_string(end) + "=H" + std::to_string(duration) + "_" + user + "?0?0:IPX:NB\r\n";
}

class CapacityUiTest : public SheetFixture {
protected:
    void SetUp() override
    {
        SheetFixture::SetUp();
        WriteFile(m_db / "LogData" / "2026-Nov-02.log",
                  "[EAST\\COM1]\r\n" + Hangup(kNov02 + 11 * kHour, 3600) + Hangup(kNov02 + 15 * kHour, 5400) +
                      "[EAST\\COM2]\r\n" + Hangup(kNov02 + 11 * kHour, 1800, "OSTERHALL\\bert"));
        WriteFile(m_db / "LogData" / "2026-Nov-03.log",
                  "[EAST\\COM2]\r\n" + Hangup(kNov02 + 86400 + 10 * kHour + 1800, 2400));
        OpenManager();
    }

    std::unique_ptr<CCapacityView> OpenView(const std::string& server)
    {
        if (QTreeWidgetItem* node = Tree().FindNode(QString::fromStdString(server), Tree().ServersRoot()))
            Tree().SelectNode(node);
        auto view = std::make_unique<CCapacityView>(*m_doc, m_frame.get());
        view->FromField()->setDate(QDate(2026, 11, 2));
        view->ToField()->setDate(QDate(2026, 11, 3));
        return view;
    }

    std::string DmctlCsv(std::vector<std::string> extra)
    {
        std::vector<std::string> args{"capacity", DatabaseDir(), "--csv", "--network", "--from", "2026-11-02",
                                      "--to",     "2026-11-03"};
        args.insert(args.end(), extra.begin(), extra.end());
        const DmctlResult result = RunDmctl(args);
        EXPECT_EQ(result.status, 0) << result.err;
        return result.out;
    }
};

} // namespace

TEST_F(CapacityUiTest, TheViewShowsAndSavesWhatDmctlPrints)
{
    auto view = OpenView("EAST");
    QAbstractItemModelTester tester(view->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_TRUE(view->Load());
    EXPECT_EQ(view->Window().Days(), 2);
    EXPECT_EQ(view->Model()->rowCount(), 24);
    const std::string csv = view->CsvText();
    EXPECT_EQ(csv, DmctlCsv({}));
    EXPECT_NE(csv.find("\nEAST,10:00,1.000,2,1800,1.414,0.2929,2,6\n"), std::string::npos) << csv;
    EXPECT_EQ(view->Model()->Text(10, 2), "1.000");
    EXPECT_EQ(view->ChartServerField()->currentText(), "EAST");
    EXPECT_EQ(view->Chart()->PortsNeededAtPeak(), 6);
    EXPECT_TRUE(view->Summary()->text().startsWith("Busy hour 10:00")) << view->Summary()->text().toStdString();

    // The fields recompute at once, from what was read.
    view->LimitField()->setValue(20);
    EXPECT_EQ(view->CsvText(), DmctlCsv({"--max-session", "1200"}));
    view->LimitField()->setValue(0);
    view->GradeField()->setValue(30.0);
    EXPECT_EQ(view->CsvText(), DmctlCsv({"--gos", "30%"}));
    EXPECT_EQ(view->Model()->Text(10, 8), "2");

    const std::string path = (m_dir / "capacity.csv").string();
    CsvExport::SetFileNameProvider([&](QWidget*) { return QString::fromStdString(path); });
    view->SaveAs();
    CsvExport::SetFileNameProvider(nullptr);
    EXPECT_EQ(ReadFile(path), view->CsvText());
    EXPECT_EQ(view->Printout().rowCount, 24);
    EXPECT_EQ(view->Printout().headers.size(), 9);
}

TEST_F(CapacityUiTest, AllServersAndDaysWithoutSessions)
{
    AddRasServer("WEST", {"COM1", "COM2", "COM3"});
    m_doc->OnNewDocument();
    Tree().SelectNode(Tree().ServersRoot());
    CCapacityView all(*m_doc, m_frame.get());
    all.FromField()->setDate(QDate(2026, 11, 2));
    all.ToField()->setDate(QDate(2026, 11, 3));
    ASSERT_TRUE(all.Load());
    EXPECT_EQ(all.windowTitle(), "Capacity - All Servers");
    // WEST has its ports and no sessions: every hour idle.
    EXPECT_EQ(all.Model()->rowCount(), 48);
    EXPECT_EQ(all.CsvText(), DmctlCsv({}));
    EXPECT_NE(all.CsvText().find("\nWEST,10:00,0.000,0,0,0.000,0.0000,3,0\n"), std::string::npos) << all.CsvText();

    // A first day after the last is taken as the other way round.
    all.FromField()->setDate(QDate(2026, 11, 5));
    all.ToField()->setDate(QDate(2026, 11, 2));
    ASSERT_TRUE(all.Load());
    EXPECT_EQ(all.Window().Days(), 4);
    EXPECT_EQ(all.FromField()->date(), QDate(2026, 11, 2));
}

TEST_F(CapacityUiTest, CheckAccessTellsWhatDmctlPolicyExplainTells)
{
    SetUsr("OSTERHALL\\anna", "MaxSessionTime", "600");
    SetUsr("+OSTERHALL\\Sales", "MaxSessionTime", "1500");
    AccountDatabase controller("OSTERDC");
    ASSERT_EQ(controller.Load(), 0u);
    ASSERT_EQ(controller.AddMember("Sales", "anna", false), 0u);

    CCheckAccessDialog dialog(*m_doc, "OSTERHALL\\anna", "EAST", "COM1", m_frame.get());
    dialog.MomentField()->setDateTime(QDateTime::fromSecsSinceEpoch(kNov02 + 9 * kHour));
    ASSERT_TRUE(dialog.Check());
    const DmctlResult dmctl = RunDmctl({"policy", "explain", DatabaseDir(), "OSTERHALL\\anna", "EAST", "COM1", "--at",
                                        std::to_string(kNov02 + 9 * kHour), "--network-groups"});
    ASSERT_EQ(dmctl.status, 0) << dmctl.err;
    EXPECT_EQ(dialog.AnswerText().toStdString(), dmctl.out);
    // The group read from the accounts widened the limit.
    EXPECT_NE(dmctl.out.find("Max session:      1500 s (+OSTERHALL\\Sales)"), std::string::npos) << dmctl.out;
    EXPECT_TRUE(dialog.GroupsLabel()->text().contains("OSTERHALL\\Sales"));
    EXPECT_TRUE(dialog.GroupsLabel()->text().contains("OSTERHALL\\Dial-in Users"));
    // The ports of the chosen server are offered.
    EXPECT_EQ(dialog.PortField()->count(), 2);
    dialog.CopyToClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), dialog.GroupsLabel()->text() + "\n" + dialog.AnswerText());

    dialog.AccountField()->setText("OSTERHALL\\nobody");
    EXPECT_FALSE(dialog.Check());
    EXPECT_EQ(dialog.AnswerText(), "The account OSTERHALL\\nobody does not exist.");
    dialog.AccountField()->setText("anna");
    EXPECT_FALSE(dialog.Check());
    EXPECT_EQ(dialog.AnswerText(), "The account must be given as DOMAIN\\name.");
    dialog.AccountField()->setText("NODOMAIN\\anna");
    EXPECT_FALSE(dialog.Check());
    EXPECT_TRUE(dialog.AnswerText().startsWith("Error getting PDC")) << dialog.AnswerText().toStdString();
}

TEST_F(CapacityUiTest, MenusToolbarAndPopUpMenusOpenThem)
{
    int capacity = 0;
    std::vector<std::string> checks;
    ManagerExtensions extensions;
    extensions.capacity = [&](QWidget*) { ++capacity; };
    extensions.checkAccess = [&](QWidget*, const std::string& account, const std::string& server,
                                 const std::string& port) { checks.push_back(account + "|" + server + "|" + port); };
    m_frame.reset();
    m_doc.reset();
    OpenManager(std::move(extensions));
    QTreeWidgetItem* east = Tree().FindNode("EAST", Tree().ServersRoot());
    ASSERT_TRUE(east);
    Tree().SelectNode(east);
    m_frame->UpdateCommandStates();
    ASSERT_TRUE(m_frame->Action(Command::Capacity)->isEnabled());
    m_frame->Action(Command::Capacity)->trigger();
    ASSERT_TRUE(m_frame->CapacityButton()->isEnabled());
    m_frame->CapacityButton()->click();
    EXPECT_EQ(capacity, 2);

    m_frame->Action(Command::CheckAccess)->trigger();
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(checks[0], "|EAST|*");

    east->setExpanded(true);
    QTreeWidgetItem* port = Tree().FindNode("COM2", east);
    ASSERT_TRUE(port);
    Tree().SelectNode(port);
    std::unique_ptr<QMenu> menu = Tree().CreateContextMenu(port);
    ASSERT_TRUE(menu);
    QAction* check = nullptr;
    for (QAction* action : menu->actions())
        if (action->text() == "Check &Access...")
            check = action;
    ASSERT_TRUE(check);
    check->trigger();
    ASSERT_EQ(checks.size(), 2u);
    EXPECT_EQ(checks[1], "|EAST|COM2");
}
