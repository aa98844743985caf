// The usage graph view: rows by the tree selection, the statistics behind
// the window's commands, the header's arrows, the rubber band, the time
// under the cursor and Save As.

#include "tests/manager/ui_fixture.h"

#include "tests/dmctl/dmctlrunner.h"

#include "common/activitylog.h"
#include "common/timeformat.h"
#include "framework/csvexport.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/views/usageheader.h"
#include "manager/ui/views/usagemodel.h"
#include "manager/ui/views/usageprogressdialog.h"
#include "manager/ui/views/useview.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QTreeView>

#include <fstream>

using namespace dm;
using namespace dm::test;

namespace {

constexpr std::uint32_t kDay = 86400;

class UseViewTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        CUseView::SetCalculationDelay(0);
        AddRasServer("EAST", {"COM1", "COM2"}, true);
        AddRasServer("WEST", {"COM1"});
        m_today = StartOfLocalDay(NowTime());
        // EAST\COM1 busy from 06:00 to 12:00 today; WEST\COM1 from 18:00 to 24:00;
        // the log begins at midnight with a connect on EAST\COM2.
        std::filesystem::create_directories(m_db / "LogData");
        std::ofstream(m_db / "LogData" / (FormatDayLogDate(m_today + 3600) + ".log"))
            << "[EAST\\COM1]\r\n" << m_today + 12 * 3600 << "=H21600_DOM\\joe?0?0:X:Y\r\n"
            << "[EAST\\COM2]\r\n" << m_today << "=C_DOM\\sue\r\n"
            << "[WEST\\COM1]\r\n" << m_today + 24 * 3600 - 1 << "=H21599_DOM\\ann?0?0:X:Y\r\n";
        ManagerExtensions extensions;
        extensions.graphView = [](CDMDoc& doc, QWidget* parent) { return new CUseView(doc, parent); };
        OpenManager(std::move(extensions));
        m_frame->resize(1100, 600);
        m_frame->show();
        Select("Servers");
        m_doc->SetViewMode(ModeGraphs);
        ASSERT_NE(View(), nullptr);
        View()->EnsureStatistics();
    }
    void TearDown() override
    {
        CsvExport::SetFileNameProvider({});
        UiFixture::TearDown();
    }

    void Select(const QString& text)
    {
        Tree().ServersRoot()->setExpanded(true);
        for (int i = 0; i < Tree().ServersRoot()->childCount(); ++i)
            Tree().ServersRoot()->child(i)->setExpanded(true);
        QTreeWidgetItem* item = Tree().FindNode(text);
        ASSERT_NE(item, nullptr) << text.toStdString();
        Tree().SelectNode(item);
    }
    CUseView* View() const { return qobject_cast<CUseView*>(m_frame->RightPane()); }
    QString Cell(int row, int column) const
    {
        return View()->Model()->index(row, column).data().toString();
    }
    TimeSpan Window() const { return View()->Model()->Statistics().Window(); }
    // A point in the graph column of a row, `share` of the way across.
    QPoint GraphPoint(int row, double share) const
    {
        const QRect cell = View()->List()->visualRect(View()->Model()->index(row, UsageModel::Graph));
        return QPoint(cell.left() + static_cast<int>(share * cell.width()), cell.center().y());
    }
    void SendMouse(QEvent::Type type, const QPoint& pos, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QWidget* viewport = View()->List()->viewport();
        QMouseEvent event(type, QPointF(pos), QPointF(viewport->mapToGlobal(pos)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    }
    void ClickHeader(const QPoint& pos)
    {
        QWidget* viewport = View()->Header()->viewport();
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, QPointF(pos), QPointF(viewport->mapToGlobal(pos)), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(viewport, &event);
        }
    }
    void Drag(double from, double to)
    {
        SendMouse(QEvent::MouseMove, GraphPoint(0, from), Qt::NoButton, Qt::NoButton);
        SendMouse(QEvent::MouseButtonPress, GraphPoint(0, from), Qt::LeftButton, Qt::LeftButton);
        SendMouse(QEvent::MouseMove, GraphPoint(0, to), Qt::NoButton, Qt::LeftButton);
        SendMouse(QEvent::MouseButtonRelease, GraphPoint(0, to), Qt::LeftButton, Qt::NoButton);
    }

    std::uint32_t m_today = 0;
};

} // namespace

TEST_F(UseViewTest, RowsFollowTheTreeSelectionAndShowTheDaysShares)
{
    QAbstractItemModelTester tester(View()->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(View()->Model()->rowCount(), 3);
    EXPECT_EQ(Window(), (TimeSpan{m_today, EndOfLocalDay(m_today)}));
    EXPECT_EQ(Cell(0, 0), "EAST\\COM1");
    EXPECT_EQ(Cell(0, 1), "75");
    EXPECT_EQ(Cell(0, 2), "25");
    // EAST\COM2's session is still in progress: busy from midnight to now.
    const std::uint32_t now = NowTime();
    EXPECT_NEAR(Cell(1, 2).toInt(), double(now - m_today) * 100 / (EndOfLocalDay(m_today) - m_today), 1.0);
    EXPECT_EQ(Cell(2, 0), "WEST\\COM1");
    EXPECT_EQ(Cell(2, 2), "24");
    EXPECT_EQ(View()->Model()->headerData(1, Qt::Horizontal).toString(), "Free (%)");
    EXPECT_EQ(View()->Header()->WindowText().toStdString(),
              FormatLocalTime("%B %d @ %H:%M", m_today) + " - - - - " +
                  FormatLocalTime("%B %d @ %H:%M", EndOfLocalDay(m_today)));

    // Another selection in the graph mode arrives as hint 5 and forces the
    // statistics to be computed again when the rows are next painted.
    const int before = View()->Calculations();
    Select("WEST");
    ASSERT_EQ(View()->Model()->rowCount(), 1);
    EXPECT_FALSE(View()->Model()->Statistics().Computed());
    View()->List()->viewport()->repaint();
    for (int i = 0; i < 200 && !View()->Model()->Statistics().Computed(); ++i)
        QTest::qWait(10);
    EXPECT_TRUE(View()->Model()->Statistics().Computed());
    EXPECT_EQ(View()->Calculations(), before + 1);
    EXPECT_EQ(Cell(0, 2), "24");

    Tree().AccountsRoot()->setExpanded(true);
    Tree().SelectNode(Tree().AccountsRoot());
    ASSERT_NE(View(), nullptr);
    EXPECT_EQ(View()->Model()->rowCount(), 0);
}

TEST_F(UseViewTest, ZoomCommandsCheckTheirUnitAndTheHeaderStepsByIt)
{
    EXPECT_TRUE(View()->ZoomAction(ZoomDay)->isChecked());
    View()->ZoomAction(ZoomWeek)->trigger();
    EXPECT_EQ(Window(), (TimeSpan{m_today - 7 * kDay, m_today}));
    EXPECT_TRUE(View()->ZoomAction(ZoomWeek)->isChecked());
    EXPECT_FALSE(View()->ZoomAction(ZoomDay)->isChecked());

    View()->ZoomAction(ZoomDay)->trigger();
    EXPECT_EQ(Window(), (TimeSpan{m_today - 8 * kDay, m_today - 7 * kDay}));
    // The right half of the graph header steps forward, the left half back.
    UsageHeader* header = View()->Header();
    const int left = header->GraphLeft();
    ClickHeader(QPoint(left + header->GraphWidth() - 10, 8));
    EXPECT_EQ(Window(), (TimeSpan{m_today - 7 * kDay, m_today - 6 * kDay}));
    ClickHeader(QPoint(left + 10, 8));
    EXPECT_EQ(Window(), (TimeSpan{m_today - 8 * kDay, m_today - 7 * kDay}));

    View()->TodayAction()->trigger();
    EXPECT_EQ(Window(), (TimeSpan{m_today, EndOfLocalDay(m_today)}));
    EXPECT_EQ(Cell(0, 2), "25");

    // The pop-up menu: the zoom units, a separator, View Today.
    const QList<QAction*> popup = View()->PopupMenu()->actions();
    ASSERT_EQ(popup.size(), 3);
    EXPECT_EQ(popup[0]->text(), "&Zoom");
    ASSERT_NE(popup[0]->menu(), nullptr);
    EXPECT_EQ(popup[0]->menu()->actions().size(), 4);
    EXPECT_EQ(popup[0]->menu()->actions()[3]->text(), "by &Month");
    EXPECT_TRUE(popup[1]->isSeparator());
    EXPECT_EQ(popup[2]->text(), "View &Today");
}

TEST_F(UseViewTest, ResetCoversTheLoadedHistoryAndZoomBackReturns)
{
    View()->ResetAction()->trigger();
    // The scope starts at the earliest record's time.
    EXPECT_EQ(Window().start, m_today);
    EXPECT_GE(Window().end, NowTime() - 5);
    ASSERT_TRUE(View()->ZoomBackAction()->isEnabled());
    View()->ZoomBackAction()->trigger();
    EXPECT_EQ(Window(), (TimeSpan{m_today, EndOfLocalDay(m_today)}));
    EXPECT_FALSE(View()->ZoomBackAction()->isEnabled());
}

TEST_F(UseViewTest, TheRubberBandNarrowsTheWindowOrSaysItIsTooNarrow)
{
    const TimeSpan day = Window();
    // Under the cursor: the time of that point of the window.
    SendMouse(QEvent::MouseMove, GraphPoint(0, 0.5), Qt::NoButton, Qt::NoButton);
    const int left = View()->Header()->GraphLeft();
    const std::uint32_t middle =
        UsageWindow::TimeAt(day, GraphPoint(0, 0.5).x() - left, View()->Header()->GraphWidth());
    EXPECT_EQ(View()->CursorTimeText().toStdString(), FormatLocalTime("%B %d @ %H:%M", middle));

    // Pressing and moving draws the band over the rows.
    SendMouse(QEvent::MouseButtonPress, GraphPoint(0, 0.25), Qt::LeftButton, Qt::LeftButton);
    SendMouse(QEvent::MouseMove, GraphPoint(0, 0.5), Qt::NoButton, Qt::LeftButton);
    const QRect band = View()->BandRect();
    EXPECT_EQ(band.left(), GraphPoint(0, 0.25).x());
    EXPECT_EQ(band.right(), GraphPoint(0, 0.5).x());
    EXPECT_EQ(band.top(), 0);
    EXPECT_GE(band.bottom(), View()->List()->visualRect(View()->Model()->index(2, 0)).bottom() - 1);
    SendMouse(QEvent::MouseButtonRelease, GraphPoint(0, 0.5), Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(View()->BandRect().isEmpty());
    EXPECT_NEAR(double(Window().start), double(day.start + day.Length() / 4), 400.0);
    EXPECT_NEAR(double(Window().end), double(day.start + day.Length() / 2), 400.0);
    EXPECT_TRUE(m_ui.m_messages.empty());

    // Less than an hour of it is too narrow; zoom back undoes the drag before.
    const TimeSpan narrowed = Window();
    Drag(0.5, 0.55);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text, "The selected time span is too narrow.\nPlease select a wider time span.");
    EXPECT_EQ(m_ui.m_messages[0].icon, Icon::Information);
    EXPECT_EQ(Window(), narrowed);
    View()->ZoomBack();
    EXPECT_EQ(Window(), narrowed);
}

TEST_F(UseViewTest, SaveAsWritesTheSelectedRowsOnly)
{
    const QString path = QString::fromStdString((m_dir / "usage.csv").string());
    CsvExport::SetFileNameProvider([&](QWidget*) { return path; });
    auto read = [&] {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll().toStdString();
    };
    View()->OnDocumentUpdate(nullptr, hint::SaveAs);
    EXPECT_EQ(read(), "Item,Free(%),Busy(%)\n");

    View()->List()->selectionModel()->select(View()->Model()->index(2, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    View()->List()->selectionModel()->select(View()->Model()->index(0, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    View()->OnDocumentUpdate(nullptr, hint::SaveAs);
    EXPECT_EQ(read(), "Item,Free(%),Busy(%)\nEAST\\COM1,75,25\nWEST\\COM1,76,24\n");
    EXPECT_TRUE(m_ui.m_messages.empty());

    CsvExport::SetFileNameProvider(
        [&](QWidget*) { return QString::fromStdString((m_dir / "missing" / "usage.csv").string()); });
    View()->SaveAs();
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text, "Error opening file for output.");
    EXPECT_EQ(m_ui.m_messages[0].icon, Icon::Error);
}

TEST_F(UseViewTest, TheProgressDialogShowsEachRowAsItIsFinished)
{
    UsageProgressDialog dialog;
    std::vector<std::pair<QString, int>> seen;
    UsageModel model;
    model.SetLabels({"EAST\\COM1", "EAST\\COM2", "WEST\\COM1", "WEST\\COM2"});
    dialog.Run(
        [&](UsageProgressDialog& progress) {
            model.Compute({}, TimeSpan{0, 100}, [&](std::size_t done, const std::string& label) {
                progress.ShowEntry(label, static_cast<int>(100 * done / 4));
                seen.emplace_back(progress.EntryText(), progress.Percent());
            });
        },
        0);
    EXPECT_EQ(dialog.windowTitle(), "Calculating statistics, please wait...");
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[1], std::make_pair(QString("EAST\\COM2"), 50));
    EXPECT_EQ(seen[3], std::make_pair(QString("WEST\\COM2"), 100));
}

TEST_F(UseViewTest, TheGraphHeaderDrawsItsArrowsAndTheWindow)
{
    UsageHeader* header = View()->Header();
    const QImage image = header->grab().toImage();
    const int left = header->GraphLeft();
    // The arrows (grey, outlined) lie within a header height of each end;
    // the window text between them.
    auto darkPixels = [&](int from, int to, int below) {
        int count = 0;
        for (int x = std::max(from, 0); x < std::min(to, image.width()); ++x)
            for (int y = 0; y < image.height(); ++y)
                count += qGray(image.pixel(x, y)) < below ? 1 : 0;
        return count;
    };
    const int h = header->height();
    EXPECT_GT(darkPixels(left + 4, left + h + 1, 200), 10);
    EXPECT_GT(darkPixels(left + header->GraphWidth() - h - 1, left + header->GraphWidth() - 4, 200), 10);
    EXPECT_GT(darkPixels(left + 2 * h, left + header->GraphWidth() - 2 * h, 110), 20);
}

TEST_F(UseViewTest, AWindowOutsideTheHistoryScopeReadsItsOwnDaysAndAgreesWithDmctl)
{
    // Three and eight days ago, outside the history scope of today only.
    std::ofstream(m_db / "LogData" / (FormatDayLogDate(m_today - 3 * kDay + 3600) + ".log"))
        << "[EAST\\COM1]\r\n" << m_today - 3 * kDay + 10 * 3600 << "=H7200_DOM\\joe?0?0:X:Y\r\n"
        << "[WEST\\COM1]\r\n" << m_today - 3 * kDay + 20 * 3600 << "=H36000_DOM\\ann?0?0:X:Y\r\n";
    std::ofstream(m_db / "LogData" / (FormatDayLogDate(m_today - 8 * kDay + 3600) + ".log"))
        << "[EAST\\COM2]\r\n" << m_today - 8 * kDay + 12 * 3600 << "=H43200_DOM\\sue?0?0:X:Y\r\n";
    m_doc->SetBrowseScope(1);
    m_doc->SetHistoryDate(m_today + 3600);
    m_doc->LoadActivityLog();
    ASSERT_EQ(m_doc->Log().FirstRecordTime(), m_today);
    View()->OnDocumentUpdate(nullptr, hint::DataChanged);
    View()->EnsureStatistics();

    const QString path = QString::fromStdString((m_dir / "usage.csv").string());
    CsvExport::SetFileNameProvider([&](QWidget*) { return path; });
    auto saved = [&] {
        View()->List()->selectAll();
        View()->SaveAs();
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll().toStdString();
    };
    auto dmctl = [&] {
        const TimeSpan window = Window();
        const auto run = RunDmctl({"usage", m_doc->DatabaseDirectory(), "--from", std::to_string(window.start),
                                   "--to", std::to_string(window.end)});
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    };

    // The week before today: the three-days-ago sessions count though the
    // scope holds today only; EAST\COM2's half day lies outside.
    View()->ZoomAction(ZoomWeek)->trigger();
    ASSERT_EQ(Window(), (TimeSpan{m_today - 7 * kDay, m_today}));
    EXPECT_EQ(Cell(0, 2).toStdString(), std::to_string(7200 * 100 / (7 * kDay)));
    EXPECT_EQ(Cell(2, 2).toStdString(), std::to_string(36000 * 100 / (7 * kDay)));
    EXPECT_EQ(saved(), dmctl());
    // Stepped back a week: EAST\COM2 from the day files of that week.
    View()->StepBack();
    EXPECT_EQ(Cell(1, 2).toStdString(), std::to_string(43200 * 100 / (7 * kDay)));
    EXPECT_EQ(saved(), dmctl());
    // A window across the scope's start, up to noon today.
    m_doc->GraphWindow().Set(m_today - 3 * kDay, m_today + kDay / 2);
    View()->OnDocumentUpdate(nullptr, hint::SelectionChanged);
    View()->EnsureStatistics();
    ASSERT_EQ(Window(), (TimeSpan{m_today - 3 * kDay, m_today + kDay / 2}));
    EXPECT_EQ(Cell(0, 2).toStdString(), std::to_string((7200 + 21600) * 100 / (3 * kDay + kDay / 2)));
    EXPECT_EQ(saved(), dmctl());
}

TEST_F(UseViewTest, TheRubberBandZoomsToTheTimesTheTooltipsNamed)
{
    // The week before today begins before the earliest loaded record.
    View()->ZoomAction(ZoomWeek)->trigger();
    ASSERT_LT(Window().start, m_doc->GraphWindow().ScopeStart());
    const TimeSpan week = Window();
    auto tooltipAt = [&](double share) {
        SendMouse(QEvent::MouseMove, GraphPoint(0, share), Qt::NoButton, Qt::NoButton);
        return View()->CursorTimeText().toStdString();
    };
    const std::string from = tooltipAt(0.3);
    const std::string to = tooltipAt(0.6);
    Drag(0.3, 0.6);
    EXPECT_TRUE(m_ui.m_messages.empty());
    EXPECT_EQ(FormatLocalTime("%B %d @ %H:%M", Window().start), from);
    EXPECT_EQ(FormatLocalTime("%B %d @ %H:%M", Window().end), to);
    const int left = View()->Header()->GraphLeft();
    const int width = View()->Header()->GraphWidth();
    EXPECT_EQ(Window().start, UsageWindow::TimeAt(week, GraphPoint(0, 0.3).x() - left, width));
    View()->ZoomBack();
    EXPECT_EQ(Window(), week);
}
