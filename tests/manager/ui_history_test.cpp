// The history pane and its scope bar, headless, on a fresh emulated network.

#include "tests/manager/ui_fixture.h"

#include "common/activitylog.h"
#include "common/inistore.h"
#include "framework/csvexport.h"
#include "manager/ui/frame/flattoolbar.h"
#include "manager/ui/frame/historybar.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/views/historymodel.h"
#include "manager/ui/views/historypanes.h"
#include "manager/ui/views/logview.h"
#include "platform/accounts/accountdatabase.h"
#include "platform/files/pathresolver.h"
#include "framework/listprinter.h"
#include <QPrinter>
#include "tests/support/pdftext.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QTest>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

#include <cstdlib>
#include <memory>

using namespace dm;
using namespace dm::test;

namespace {

constexpr std::uint32_t kDec05Noon = 881319600; // 1997-12-05 12:00 in TZ=Europe/Berlin
constexpr int kShownMask = 0x2 | 0x4 | 0x8 | 0x10 | 0x20 | 0x40 | 0x200;

// Counts the data-changed hints, which follow every reload.
class HintCounter : public DocumentObserver {
public:
    explicit HintCounter(CDMDoc& doc) : m_doc(doc) { m_doc.AddObserver(this); }
    ~HintCounter() override { m_doc.RemoveObserver(this); }
    void OnDocumentUpdate(DocumentObserver*, int hintValue) override { reloads += hintValue == hint::DataChanged; }
    int reloads = 0;

private:
    CDMDoc& m_doc;
};

class HistoryViewTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        // The direction is shared for the life of the program: each test starts as the program does.
        SharedSortDirection() = 1;
        AddRasServer("EAST", {"COM1", "COM2", "COM10"}, true);
        ManagerExtensions extensions;
        AddHistoryPanes(extensions);
        OpenManager(extensions);
        m_doc->SetHistoryDate(kDec05Noon);
        m_doc->SetBrowseScope(1);
        m_doc->Settings().historyViewColumns = kShownMask;
        m_doc->Settings().historyViewSeconds = false;
        WriteDay(kDec05Noon, "[EAST\\COM2]\r\n"
                             "881319600=C_ACME\\anna\r\n"
                             "881323200=H3725_ACME\\anna?-1062731775?0::\r\n"
                             "[EAST\\COM10]\r\n"
                             "881319700=N_ACME\\bob?9\r\n"
                             "881319800=H60_OTHER\\carl?0?1:0000000A.00C0A8000001:CARLPC\r\n");
    }
    void TearDown() override
    {
        m_view.reset();
        CsvExport::SetFileNameProvider(nullptr);
        UiFixture::TearDown();
    }
    std::filesystem::path DayFile(std::uint32_t time) const
    {
        return ResolvePathOrEmpty(DayLogPath(m_doc->DatabaseDirectory(), time));
    }
    void WriteDay(std::uint32_t time, const std::string& text)
    {
        std::filesystem::create_directories(DayFile(time).parent_path());
        WriteFile(DayFile(time), text);
    }
    // The pane as the frame makes it, after the log was loaded.
    CLogView& OpenView()
    {
        m_doc->LoadActivityLog();
        m_view = std::make_unique<CLogView>(*m_doc);
        m_view->resize(1000, 400);
        m_view->show();
        m_view->OnDocumentUpdate(nullptr, hint::DocumentLoaded);
        return *m_view;
    }
    QString Cell(int row, int column) const
    {
        return m_view->Model()->index(row, column).data().toString();
    }
    QStringList Column(int column) const
    {
        QStringList texts;
        for (int row = 0; row < m_view->Model()->rowCount(); ++row)
            texts << Cell(row, column);
        return texts;
    }
    void SelectRows(std::initializer_list<int> rows)
    {
        for (int row : rows)
            m_view->List()->selectionModel()->select(m_view->Model()->index(row, 0),
                                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    std::string Golden(const std::string& name) const
    {
        return ReadFile(std::filesystem::path(DM_TESTDATA_DIR) / "history" / name);
    }

    std::unique_ptr<CLogView> m_view;
};

} // namespace

TEST_F(HistoryViewTest, ModelPassesTheModelTesterThroughFillSortAndNewColumns)
{
    CLogView& view = OpenView();
    QAbstractItemModelTester tester(view.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    view.SortByColumn(2);
    view.OnDocumentUpdate(nullptr, hint::DataChanged);
    m_doc->Settings().historyViewColumns = 0x3FF;
    view.OnDocumentUpdate(nullptr, hint::HistoryOptionsChanged);
    EXPECT_EQ(view.Model()->columnCount(), 10);
    EXPECT_EQ(view.Model()->rowCount(), 4);
}

TEST_F(HistoryViewTest, RowsShowTheRecordsTextsAndIconsLatestFirst)
{
    CLogView& view = OpenView();
    HistoryModel& model = *view.Model();
    ASSERT_EQ(model.rowCount(), 4);
    ASSERT_EQ(model.columnCount(), 8);
    EXPECT_EQ(model.headerData(7, Qt::Horizontal).toString(), "Lasted (hh:mm:ss)");
    // Time, server, port, action, information, user, IP, lasted.
    EXPECT_EQ(Column(0), QStringList({"12/05/97 13:00:00", "12/05/97 12:03:20", "12/05/97 12:01:40",
                                      "12/05/97 12:00:00"}));
    EXPECT_EQ(Column(3), QStringList({"Hang Up", "Disconnected", "Denied", "Connect"}));
    EXPECT_EQ(Column(4), QStringList({"", "Port Max Time Reached", "Idle Timeout", ""}));
    EXPECT_EQ(Column(6), QStringList({"192.168.0.1", "", "", ""}));
    EXPECT_EQ(Column(7), QStringList({"01:02:05", "00:01:00", "", ""}));
    EXPECT_FALSE(model.index(0, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
    EXPECT_TRUE(model.index(0, 1).data(Qt::DecorationRole).isNull());
}

TEST_F(HistoryViewTest, HeaderClicksSortPortsByNumberAndARefillKeepsTheOrder)
{
    CLogView& view = OpenView();
    QHeaderView* header = view.List()->header();
    EXPECT_FALSE(header->isSortIndicatorShown());
    // A real click: the header's own handling must not turn the arrow.
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));
    EXPECT_EQ(Column(2), QStringList({"COM2", "COM2", "COM10", "COM10"}));
    EXPECT_TRUE(header->isSortIndicatorShown());
    EXPECT_EQ(header->sortIndicatorSection(), 2);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
    view.OnDocumentUpdate(nullptr, hint::DataChanged);
    EXPECT_EQ(Column(2), QStringList({"COM2", "COM2", "COM10", "COM10"}));
    view.SortByColumn(2);
    EXPECT_EQ(Column(2), QStringList({"COM10", "COM10", "COM2", "COM2"}));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    // Times run the other way with the same direction: latest first is descending.
    view.SortByColumn(0);
    EXPECT_EQ(Column(0).first(), "12/05/97 13:00:00");
    EXPECT_EQ(header->sortIndicatorSection(), 0);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    view.SortByColumn(2);
    EXPECT_EQ(Column(2), QStringList({"COM10", "COM10", "COM2", "COM2"}));
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    view.OnDocumentUpdate(nullptr, hint::SelectionChanged);
    EXPECT_EQ(Column(2), QStringList({"COM10", "COM10", "COM2", "COM2"}));
    // The selection follows its rows through a sort.
    SelectRows({0});
    const QString user = Cell(0, 5);
    view.SortByColumn(2);
    ASSERT_EQ(view.SelectedRows().size(), 1u);
    EXPECT_EQ(Cell(view.SelectedRows()[0], 5), user);
    // And through a reload of the log, as every refresh does.
    const std::string time = Cell(view.SelectedRows()[0], 0).toStdString();
    m_doc->LoadActivityLog();
    view.OnDocumentUpdate(nullptr, hint::DataChanged);
    ASSERT_EQ(view.SelectedRows().size(), 1u);
    EXPECT_EQ(Cell(view.SelectedRows()[0], 0).toStdString(), time);
}

TEST_F(HistoryViewTest, TreeSelectionFiltersAndAGroupMatchesTheUserNameOnly)
{
    AddDomain("ACME", "ACMEDC", {{"anna", 8}, {"carl", 8}}, {"Staff"});
    UserAccount anna, carl;
    anna.name = "anna";
    carl.name = "Carl";
    AccountDatabase accounts("ACMEDC");
    ASSERT_EQ(accounts.Store({anna, carl}, {{"Staff", "", {"anna", "Carl"}}}, {}), 0u);
    ASSERT_EQ(accounts.SetDomainName("ACME"), 0u);
    m_doc->CurrentSelection().domain = "ACME";
    m_doc->CurrentSelection().group = "Staff";
    CLogView& view = OpenView();
    // A group matches the user name whatever the domain, as the users view
    // lists the accounts: carl's record of another domain is shown too.
    EXPECT_EQ(Column(5), QStringList({"ACME\\anna", "OTHER\\carl", "ACME\\anna"}));
    m_doc->CurrentSelection() = Selection();
    m_doc->CurrentSelection().port = "com10";
    view.OnDocumentUpdate(nullptr, hint::SelectionChanged);
    EXPECT_EQ(view.Model()->rowCount(), 2);
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(HistoryViewTest, SaveAsWritesAllRowsOrTheSelectedOnes)
{
    CLogView& view = OpenView();
    const std::string path = (m_dir / "saved.csv").string();
    CsvExport::SetFileNameProvider([&](QWidget*) { return QString::fromStdString(path); });
    view.OnDocumentUpdate(nullptr, hint::SaveAs);
    EXPECT_EQ(ReadFile(path), Golden("saved-all.csv"));
    SelectRows({3, 1});
    view.OnDocumentUpdate(nullptr, hint::SaveAs);
    EXPECT_EQ(ReadFile(path), Golden("saved-two.csv"));
    EXPECT_TRUE(m_ui.m_messages.empty());

    CsvExport::SetFileNameProvider([&](QWidget*) { return QString::fromStdString((m_dir / "no" / "x.csv").string()); });
    view.SaveAs();
    EXPECT_EQ(m_ui.Texts(), std::vector<std::string>{"Error opening file for output."});
    EXPECT_EQ(m_ui.m_messages.back().icon, Icon::Error);
    // Cancelled: nothing written, nothing said.
    CsvExport::SetFileNameProvider([](QWidget*) { return QString(); });
    view.SaveAs();
    EXPECT_EQ(m_ui.m_messages.size(), 1u);
}

TEST_F(HistoryViewTest, CopyPutsTheSelectedRowsWithoutHeaderOnTheClipboard)
{
    CLogView& view = OpenView();
    EXPECT_FALSE(view.CanCopySelection());
    SelectRows({2, 0});
    ASSERT_TRUE(view.CanCopySelection());
    view.CopySelection();
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(),
              "12/05/97 13:00:00,EAST,COM2,Hang Up, ,ACME\\anna,192.168.0.1,01:02:05,\r\n"
              "12/05/97 12:01:40,EAST,COM10,Denied,Idle Timeout,ACME\\bob, , ,\r\n");
}

TEST_F(HistoryViewTest, DeleteAsksThenRemovesTheKeysAndReloads)
{
    CLogView& view = OpenView();
    const std::string before = ReadFile(DayFile(kDec05Noon));
    SelectRows({0, 2});
    m_ui.QueueAnswer(Answer::No);
    view.DeleteSelection();
    EXPECT_EQ(m_ui.Texts(),
              std::vector<std::string>{"Are you sure that you want to permanently delete the selected records?"});
    EXPECT_EQ(ReadFile(DayFile(kDec05Noon)), before);
    EXPECT_EQ(view.Model()->rowCount(), 4);

    m_ui.QueueAnswer(Answer::Yes);
    view.DeleteSelection();
    EXPECT_EQ(ReadFile(DayFile(kDec05Noon)), "[EAST\\COM2]\r\n"
                                             "881319600=C_ACME\\anna\r\n"
                                             "[EAST\\COM10]\r\n"
                                             "881319800=H60_OTHER\\carl?0?1:0000000A.00C0A8000001:CARLPC\r\n");
    EXPECT_EQ(view.Model()->rowCount(), 2);
    EXPECT_EQ(m_ui.m_messages.size(), 2u);
}

TEST_F(HistoryViewTest, DeleteFromAFileThatVanishedIsReportedAndTheListReloaded)
{
    CLogView& view = OpenView();
    SelectRows({1});
    std::filesystem::remove(DayFile(kDec05Noon));
    m_ui.QueueAnswer(Answer::Yes);
    view.DeleteSelection();
    ASSERT_EQ(m_ui.m_messages.size(), 2u);
    EXPECT_EQ(m_ui.m_messages[1].text,
              "The records could not be deleted from " + DayLogPath(m_doc->DatabaseDirectory(), kDec05Noon) + ".");
    EXPECT_FALSE(std::filesystem::exists(DayFile(kDec05Noon)));
    EXPECT_EQ(view.Model()->rowCount(), 0);
}

TEST_F(HistoryViewTest, PopupMenuOffersCopyAndDeleteForSelectedRows)
{
    CLogView& view = OpenView();
    QMenu* menu = view.PopupMenu();
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), "&Copy to Clipboard");
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), "&Delete");
    Q_EMIT menu->aboutToShow();
    EXPECT_FALSE(actions[2]->isEnabled());
    SelectRows({1});
    Q_EMIT menu->aboutToShow();
    EXPECT_TRUE(actions[0]->isEnabled());
    EXPECT_TRUE(actions[2]->isEnabled());
}

TEST_F(HistoryViewTest, PrintsEveryRowOnceOnTheCountedPages)
{
    std::string day;
    for (int port = 1; port <= 3; ++port) {
        day += "[EAST\\COM" + std::to_string(port) + "]\r\n";
        for (int i = 0; i < 50; ++i)
            day += std::to_string(kDec05Noon + port * 1000 + i) + "=C_ACME\\u" + std::to_string(port * 100 + i) + "x\r\n";
    }
    WriteDay(kDec05Noon, day);
    CLogView& view = OpenView();
    ASSERT_EQ(view.Model()->rowCount(), 150);
    const std::string pdf = (m_dir / "history.pdf").string();
    setenv("DIALMIND_PRINTER", ("pdf:" + pdf).c_str(), 1);
    view.OnDocumentUpdate(nullptr, hint::Print);
    unsetenv("DIALMIND_PRINTER");
    const std::string text = PdfText(pdf);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.find("Logged activities in Dialminder"), std::string::npos);
    EXPECT_NE(text.find("User Account"), std::string::npos);
    for (int port = 1; port <= 3; ++port) {
        for (int i = 0; i < 50; ++i) {
            const std::string user = "ACME\\u" + std::to_string(port * 100 + i) + "x";
            const auto first = text.find(user);
            ASSERT_NE(first, std::string::npos) << user;
            EXPECT_EQ(text.find(user, first + 1), std::string::npos) << user;
        }
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const int pages = ListPrinter::LayoutFor(printer).PageCount(150);
    EXPECT_GE(pages, 2);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), pages);
}

TEST_F(HistoryViewTest, FrameShowsThePaneAndTheScopeBarAndEnablesPrintPreview)
{
    Tree().SelectNode(Tree().FindNode("EAST"));
    m_frame->RunCommand(Command::Refresh);
    m_doc->SetViewMode(ModeHistory);
    auto* view = qobject_cast<CLogView*>(m_frame->RightPane());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->Model()->rowCount(), 4);
    ASSERT_NE(qobject_cast<CHistoryBar*>(m_frame->HistoryBar()), nullptr);
    m_frame->UpdateCommandStates();
    EXPECT_TRUE(m_frame->Action(Command::PrintPreview)->isEnabled());
    EXPECT_TRUE(m_frame->ToolBar()->IsButtonEnabled(4));
    // The widths the person set go back to the settings when the pane is replaced.
    view->List()->header()->resizeSection(1, 177);
    m_doc->SetViewMode(ModeStatus);
    EXPECT_EQ(m_doc->Settings().columnWidths[1], 177);
}

TEST_F(HistoryViewTest, ScopeBarTextsArrowsAndOneReloadForQuickClicks)
{
    m_doc->LoadActivityLog();
    CHistoryBar bar(*m_doc);
    bar.SetClock([] { return kDec05Noon; });
    bar.UpdateTexts();
    EXPECT_EQ(bar.ScopeLabel()->text(), "Records of Today");
    EXPECT_EQ(bar.CountLabel()->text(), "4 records");
    EXPECT_EQ(bar.BackButton()->toolTip(), "Back One Day");
    EXPECT_EQ(bar.ForwardButton()->toolTip(), "Forward One Day");
    EXPECT_EQ(bar.Timer()->interval(), 400);
    EXPECT_FALSE(bar.BackButton()->isHidden());

    HintCounter counter(*m_doc);
    bar.OnTimerTick();
    for (int i = 0; i < 3; ++i)
        bar.BackButton()->click();
    EXPECT_EQ(bar.ScopeLabel()->text(), "Records of 12/02/97");
    bar.OnTimerTick(); // the start moved: a reload is due
    EXPECT_EQ(counter.reloads, 0);
    bar.OnTimerTick();
    bar.OnTimerTick();
    EXPECT_EQ(counter.reloads, 1);
    EXPECT_EQ(bar.CountLabel()->text(), "0 records");

    m_doc->SetBrowseScope(2);
    bar.ForwardButton()->click();
    EXPECT_EQ(bar.ScopeLabel()->text(), "Records from 12/03/97 to 12/09/97");
    m_doc->SetBrowseScope(4);
    bar.UpdateTexts();
    EXPECT_EQ(bar.ScopeLabel()->text(), "All Records available are displayed");
    EXPECT_TRUE(bar.BackButton()->isHidden());
    EXPECT_TRUE(bar.ForwardButton()->isHidden());
    const std::uint32_t date = m_doc->HistoryDate();
    bar.StepDays(-1);
    EXPECT_EQ(m_doc->HistoryDate(), date);
}

TEST_F(HistoryViewTest, ColumnsStartSizedToTheirContentsAndAWidthThePersonSetIsKept)
{
    m_doc->Settings().columnWidths[2] = 211; // set by the person earlier
    CLogView& view = OpenView();
    QHeaderView* header = view.List()->header();
    const QFontMetrics metrics(view.List()->font());
    for (int column = 0; column < view.Model()->columnCount(); ++column) {
        if (column == 2)
            continue;
        EXPECT_FALSE(view.WidthSetByPerson(column)) << column;
        // Every cell's text and the header's fit.
        for (int row = 0; row < view.Model()->rowCount(); ++row)
            EXPECT_GT(header->sectionSize(column), metrics.horizontalAdvance(Cell(row, column))) << column;
        EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << column;
    }
    EXPECT_TRUE(view.WidthSetByPerson(2));
    EXPECT_EQ(header->sectionSize(2), 211);
    // An empty column is as narrow as its header, not a default 100.
    const int ip = 6;
    ASSERT_EQ(view.Model()->headerData(ip, Qt::Horizontal).toString(), "IP");
    EXPECT_LT(header->sectionSize(ip), header->sectionSize(4));

    // A refill (every refresh) leaves the widths; a header click still sorts.
    header->resizeSection(4, 300);
    view.OnDocumentUpdate(nullptr, hint::DataChanged);
    EXPECT_EQ(header->sectionSize(4), 300);
    view.SortByColumn(1);
    EXPECT_EQ(header->sortIndicatorSection(), 1);

    // Stored: only what the person set; the others their position's default,
    // so that they are sized to their contents again next time.
    view.SaveColumnWidths();
    EXPECT_EQ(m_doc->Settings().columnWidths[4], 300);
    EXPECT_EQ(m_doc->Settings().columnWidths[2], 211);
    EXPECT_EQ(m_doc->Settings().columnWidths[0], ManagerSettings::NoKeyColumnWidths[0]);
    EXPECT_EQ(m_doc->Settings().columnWidths[6], ManagerSettings::NoKeyColumnWidths[6]);
}

TEST_F(HistoryViewTest, TheKeyboardDeletesCopiesAndOpensThePopUpMenuOfTheSelectedRows)
{
    Tree().SelectNode(Tree().FindNode("EAST"));
    m_frame->RunCommand(Command::Refresh);
    m_frame->show();
    m_frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame.get()));
    // Ctrl+2 chooses History, from wherever the focus is.
    QTest::keyClick(m_frame.get(), Qt::Key_2, Qt::ControlModifier);
    ASSERT_EQ(m_doc->ViewMode(), ModeHistory);
    auto* view = qobject_cast<CLogView*>(m_frame->RightPane());
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->Model()->rowCount(), 4);
    QTreeView* list = view->List();
    list->setFocus();
    list->selectionModel()->select(view->Model()->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    list->selectionModel()->select(view->Model()->index(2, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    EXPECT_TRUE(m_frame->Action(Command::Copy)->isEnabled());
    EXPECT_TRUE(m_frame->Action(Command::Delete)->isEnabled());

    // Ctrl+C copies the selected rows, not one cell.
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_EQ(copied.count(QStringLiteral("\r\n")), 2) << copied.toStdString();
    EXPECT_TRUE(copied.startsWith(view->Model()->index(0, 0).data().toString() + QLatin1Char(',')))
        << copied.toStdString();

    // Del asks about the selected records (No keeps them).
    m_ui.QueueAnswer(Answer::No);
    QTest::keyClick(list, Qt::Key_Delete);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text, "Are you sure that you want to permanently delete the selected records?");
    EXPECT_EQ(view->Model()->rowCount(), 4);

    // The Menu key and Shift+F10 open the pop-up menu.
    QTest::keyClick(list, Qt::Key_Menu);
    EXPECT_TRUE(view->PopupMenu()->isVisible());
    view->PopupMenu()->close();
    list->setFocus();
    QTest::keyClick(list, Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_TRUE(view->PopupMenu()->isVisible());
    view->PopupMenu()->close();

    // Without a selection there is nothing to delete or copy.
    list->setFocus();
    list->clearSelection();
    EXPECT_FALSE(m_frame->Action(Command::Copy)->isEnabled());
    EXPECT_FALSE(m_frame->Action(Command::Delete)->isEnabled());
    // Ctrl+3 and Ctrl+1 choose Graphs and Status.
    QTest::keyClick(m_frame.get(), Qt::Key_3, Qt::ControlModifier);
    EXPECT_EQ(m_doc->ViewMode(), ModeGraphs);
    QTest::keyClick(m_frame.get(), Qt::Key_1, Qt::ControlModifier);
    EXPECT_EQ(m_doc->ViewMode(), ModeStatus);
}
