#include "manager/ui/views/useview.h"

#include "common/activitylog.h"
#include "common/timeformat.h"
#include "framework/csvexport.h"
#include "manager/core/dmdoc.h"
#include "manager/core/messagecaption.h"
#include "manager/core/usagerows.h"
#include "manager/core/usagesource.h"
#include "manager/ui/views/usagebardelegate.h"
#include "manager/ui/views/usageheader.h"
#include "manager/ui/views/usagemodel.h"
#include "manager/ui/views/usageprogressdialog.h"

#include <QAction>
#include <QMenu>
#include <QPainter>
#include <QStyle>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace dm {

namespace {

int g_calculationDelay = 300;

// The rubber band: the part of the rows it covers is shown inverted.
class BandOverlay : public QWidget {
public:
    explicit BandOverlay(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setObjectName(QStringLiteral("UsageBand"));
        hide();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(rect(), Qt::white);
    }
};

} // namespace

void CUseView::SetCalculationDelay(int milliseconds)
{
    g_calculationDelay = milliseconds;
}

CUseView::CUseView(CDMDoc& doc, QWidget* parent) : QWidget(parent), m_doc(doc)
{
    setObjectName(QStringLiteral("UseView"));
    m_model = new UsageModel(this);
    m_list = new QTreeView(this);
    m_header = new UsageHeader(UsageModel::Graph, m_list);
    m_list->setHeader(m_header);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setModel(m_model);
    // Rows stay in server and port order; header clicks step the window.
    m_list->setSortingEnabled(false);
    m_header->setSectionsClickable(true);
    m_delegate = new UsageBarDelegate(m_model->Statistics(), m_list);
    m_list->setItemDelegate(m_delegate);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->viewport()->setMouseTracking(true);
    m_list->viewport()->installEventFilter(this);
    m_band = new BandOverlay(m_list->viewport());

    m_tools = new QToolBar(this);
    m_tools->setObjectName(QStringLiteral("UsageTools"));
    m_tools->setIconSize(QSize(16, 16));
    m_tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    CreateCommands();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_tools);
    layout->addWidget(m_list, 1);
    setFocusProxy(m_list);

    connect(m_header, &UsageHeader::stepRequested, this, [this](bool forward) {
        if (forward)
            StepForward();
        else
            StepBack();
    });
    connect(m_header, &QHeaderView::sectionResized, this, [this] { ClearBand(); });
    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { m_popup->popup(m_list->viewport()->mapToGlobal(pos)); });
    m_doc.AddObserver(this);
}

CUseView::~CUseView()
{
    m_doc.RemoveObserver(this);
}

void CUseView::CreateCommands()
{
    auto add = [this](const QString& text, const QKeySequence& keys, auto slot) {
        auto* action = new QAction(text, this);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        action->setToolTip(QString(text).remove(QLatin1Char('&')) + QStringLiteral(" (") +
                           keys.toString(QKeySequence::NativeText) + QLatin1Char(')'));
        connect(action, &QAction::triggered, this, slot);
        addAction(action);
        return action;
    };
    m_back = add(QStringLiteral("&Previous"), QKeySequence(Qt::CTRL | Qt::Key_Left), [this] { StepBack(); });
    m_back->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    m_forward = add(QStringLiteral("&Next"), QKeySequence(Qt::CTRL | Qt::Key_Right), [this] { StepForward(); });
    m_forward->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    const QString zoomTexts[] = {QStringLiteral("by &Hour"), QStringLiteral("by &Day"), QStringLiteral("by &Week"),
                                 QStringLiteral("by &Month")};
    for (int unit = ZoomHour; unit <= ZoomMonth; ++unit) {
        // Alt: Ctrl+1 to Ctrl+3 choose the frame's view.
        m_zoom[unit] = add(zoomTexts[unit], QKeySequence(Qt::ALT | static_cast<Qt::Key>(Qt::Key_1 + unit)),
                           [this, unit] { ZoomBy(unit); });
        m_zoom[unit]->setCheckable(true);
    }
    m_today = add(QStringLiteral("View &Today"), QKeySequence(Qt::CTRL | Qt::Key_T), [this] { ViewToday(); });
    m_reset = add(QStringLiteral("&Reset Time Span"), QKeySequence(Qt::CTRL | Qt::Key_R), [this] { ResetTimeSpan(); });
    m_zoomBack = add(QStringLiteral("&Zoom Back"), QKeySequence(Qt::CTRL | Qt::Key_Z), [this] { ZoomBack(); });

    m_tools->addAction(m_back);
    m_tools->addAction(m_forward);
    m_tools->addSeparator();
    for (QAction* zoom : m_zoom)
        m_tools->addAction(zoom);
    m_tools->addSeparator();
    m_tools->addAction(m_today);
    m_tools->addAction(m_reset);
    m_tools->addAction(m_zoomBack);

    m_popup = new QMenu(this);
    QMenu* zoom = m_popup->addMenu(QStringLiteral("&Zoom"));
    for (QAction* action : m_zoom)
        zoom->addAction(action);
    m_popup->addSeparator();
    m_popup->addAction(m_today);
    UpdateCommandStates();
}

QAction* CUseView::ZoomAction(int unit) const
{
    return unit >= ZoomHour && unit <= ZoomMonth ? m_zoom[unit] : nullptr;
}

void CUseView::OnDocumentUpdate(DocumentObserver*, int hintValue)
{
    switch (hintValue) {
    case hint::SaveAs: SaveAs(); return;
    case hint::Print: Print(); return;
    case hint::AccountIconsChanged: return;
    default: break;
    }
    if (!m_doc.Log().IsLoaded())
        m_doc.LoadActivityLog();
    if (!m_columnsBuilt && hintValue != hint::DataChanged && hintValue != hint::SelectionChanged)
        BuildColumns();
    RebuildRows();
}

void CUseView::BuildColumns()
{
    const int widths[] = {140, 70, 70, 300};
    for (int column = 0; column < UsageModel::ColumnCount; ++column)
        m_header->resizeSection(column, widths[column]);
    m_header->setMinimumSectionSize(40);
    // The graph takes the room the pane has; it never gets narrower than 300.
    m_header->setStretchLastSection(true);
    m_columnsBuilt = true;
}

void CUseView::RebuildRows()
{
    ClearBand();
    // New rows, new data or a new selection: the statistics are computed
    // again at the next paint.
    m_model->SetLabels(UsageLabels(MonitoredPorts(m_doc.Servers()),
                                   UsageFilter::FromSelection(m_doc.CurrentSelection(), m_doc.CurrentKind())));
    UpdateWindowText();
    UpdateCommandStates();
    m_list->viewport()->update();
}

void CUseView::EnsureStatistics()
{
    if (!m_model->Statistics().Computed())
        Calculate(true);
}

void CUseView::Calculate(bool saveForZoomBack)
{
    if (m_calculating)
        return;
    m_calculating = true;
    UsageWindow& graph = m_doc.GraphWindow();
    if (saveForZoomBack)
        graph.SaveForZoomBack();
    const std::uint32_t now = NowTime();
    const TimeSpan span = graph.Resolve(now);
    // The window's own day files, whatever the history scope holds.
    ActivityLog& log = m_doc.GraphLog();
    const std::size_t count = m_model->Statistics().Count();
    if (count == 0) {
        m_model->Compute({}, span, {}, 0);
    } else {
        UsageProgressDialog dialog(window());
        dialog.Run(
            [&](UsageProgressDialog& progress) {
                LoadUsageRecords(log, span);
                m_model->Compute(log.Records(), span, [&](std::size_t done, const std::string& label) {
                    progress.ShowEntry(label, static_cast<int>(100 * done / count));
                }, InProgressUntil(span, now));
            },
            g_calculationDelay);
        m_doc.ReportUnreadableLogFiles(log);
    }
    ++m_calculations;
    m_calculating = false;
    UpdateWindowText();
    UpdateCommandStates();
    m_list->viewport()->update();
}

void CUseView::AfterWindowChange()
{
    ClearBand();
    Calculate(false);
}

void CUseView::ZoomBy(int unit)
{
    m_doc.GraphWindow().ZoomBy(unit);
    AfterWindowChange();
}

void CUseView::ViewToday()
{
    const std::uint32_t now = NowTime();
    m_doc.GraphWindow().ViewToday(StartOfLocalDay(now), EndOfLocalDay(now));
    AfterWindowChange();
}

void CUseView::ResetTimeSpan()
{
    m_doc.GraphWindow().ResetSpan(NowTime());
    AfterWindowChange();
}

void CUseView::ZoomBack()
{
    if (m_doc.GraphWindow().ZoomBack())
        AfterWindowChange();
}

void CUseView::StepBack()
{
    m_doc.GraphWindow().StepBack();
    AfterWindowChange();
}

void CUseView::StepForward()
{
    m_doc.GraphWindow().StepForward();
    AfterWindowChange();
}

TimeSpan CUseView::ShownWindow() const
{
    if (m_model->Statistics().Computed())
        return m_model->Statistics().Window();
    UsageWindow graph = m_doc.GraphWindow();
    return graph.Resolve(NowTime());
}

void CUseView::UpdateWindowText()
{
    const TimeSpan span = ShownWindow();
    const char* picture = "%B %d @ %H:%M";
    m_header->SetWindowText(QString::fromStdString(FormatLocalTime(picture, span.start) + " - - - - " +
                                                   FormatLocalTime(picture, span.end)));
}

void CUseView::UpdateCommandStates()
{
    const UsageWindow& graph = m_doc.GraphWindow();
    for (int unit = ZoomHour; unit <= ZoomMonth; ++unit)
        m_zoom[unit]->setChecked(graph.Unit() == unit);
    m_zoomBack->setEnabled(graph.ZoomBackAvailable());
}

void CUseView::SaveAs()
{
    EnsureStatistics();
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        rows.push_back(static_cast<std::size_t>(index.row()));
    std::sort(rows.begin(), rows.end());
    const QString path = CsvExport::AskSaveFileName(window());
    if (path.isEmpty())
        return;
    if (!CsvExport::WriteText(path, m_model->Statistics().CsvText(rows)))
        m_doc.Interaction().ShowMessage("Error opening file for output.", kMessageCaption, Buttons::Ok, Icon::Error);
}

} // namespace dm
