#include "manager/ui/views/logview.h"
#include "framework/displaytext.h"

#include "common/activitylog.h"
#include "framework/csvexport.h"
#include "framework/listprinter.h"
#include "manager/core/dmdoc.h"
#include "manager/core/historydelete.h"
#include "manager/core/messagecaption.h"
#include "manager/ui/views/historymodel.h"
#include "platform/files/pathresolver.h"

#include <QHeaderView>
#include <QMenu>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <unordered_set>

namespace dm {

namespace {

// What tells a record apart from every other in the log files.
std::string RecordKey(const LogRecord& record)
{
    return LogSectionName(record.server, record.port) + '\n' + FormatLogKey(record.time) + '\n' +
           std::to_string(record.kind);
}

} // namespace

CLogView::CLogView(CDMDoc& doc, QWidget* parent) : QWidget(parent), m_doc(doc)
{
    setObjectName(QStringLiteral("HistoryView"));
    m_model = new HistoryModel(this);
    m_list = new QTreeView(this);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setAllColumnsShowFocus(true);
    m_list->setIconSize(QSize(16, 16));
    m_list->setModel(m_model);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->header()->setSectionsClickable(true);
    m_list->header()->setSectionsMovable(false);
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSortIndicatorShown(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    setFocusProxy(m_list);

    m_menu = new QMenu(this);
    QAction* copy = m_menu->addAction(QStringLiteral("&Copy to Clipboard"));
    m_menu->addSeparator();
    QAction* remove = m_menu->addAction(QStringLiteral("&Delete"));
    connect(copy, &QAction::triggered, this, &CLogView::CopySelection);
    connect(remove, &QAction::triggered, this, &CLogView::DeleteSelection);
    connect(m_menu, &QMenu::aboutToShow, this, [this, copy, remove] {
        copy->setEnabled(CanCopySelection());
        remove->setEnabled(CanDeleteSelection());
    });
    connect(m_list, &QWidget::customContextMenuRequested, this, &CLogView::ShowPopupMenu);
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &CLogView::SortByColumn);
    connect(m_list->header(), &QHeaderView::sectionResized, this, [this](int column, int, int) {
        if (!m_sizing && column >= 0 && column < static_cast<int>(m_personWidth.size()))
            m_personWidth[static_cast<size_t>(column)] = true;
    });
    m_doc.AddObserver(this);
}

CLogView::~CLogView()
{
    m_doc.RemoveObserver(this);
    SaveColumnWidths();
}

void CLogView::OnDocumentUpdate(DocumentObserver*, int hint)
{
    switch (hint) {
    case 97:
    case hint::AccountIconsChanged: return;
    case hint::SaveAs: SaveAs(); return;
    case hint::Print: Print(); return;
    case hint::DataChanged:
    case hint::SelectionChanged: Refill(); return;
    case hint::HistoryOptionsChanged:
        if (m_doc.LogReloadNeeded()) {
            m_doc.SetLogReloadNeeded(false);
            m_doc.LoadActivityLog();
        }
        DeleteColumns();
        break;
    default: break;
    }
    if (!m_hasColumns)
        BuildColumns();
    Refill();
}

namespace {

// The width a display position has until the person sets one.
int DefaultWidth(int column)
{
    return column >= 0 && column < static_cast<int>(ManagerSettings::NoKeyColumnWidths.size())
               ? ManagerSettings::NoKeyColumnWidths[static_cast<size_t>(column)]
               : ManagerSettings::DefaultColumnWidth;
}

} // namespace

void CLogView::BuildColumns()
{
    const ManagerSettings& settings = m_doc.Settings();
    m_sort.Reset();
    m_list->header()->setSortIndicatorShown(false);
    m_model->SetColumns(settings.historyViewColumns, settings.historyViewSeconds);
    // A stored width other than its position's default was set by the
    // person and is kept; the other columns are sized to their contents
    // once the rows are in.
    m_sizing = true;
    m_personWidth.assign(static_cast<size_t>(m_model->columnCount()), false);
    for (int column = 0; column < m_model->columnCount(); ++column) {
        const int stored = column < static_cast<int>(settings.columnWidths.size())
                               ? settings.columnWidths[static_cast<size_t>(column)]
                               : 0;
        const bool person = stored > 0 && stored != DefaultWidth(column) &&
                            stored != ManagerSettings::DefaultColumnWidth;
        m_personWidth[static_cast<size_t>(column)] = person;
        m_list->header()->resizeSection(column, person ? stored : m_list->header()->sectionSizeHint(column));
    }
    m_sizing = false;
    m_fitPending = true;
    m_hasColumns = true;
}

bool CLogView::WidthSetByPerson(int column) const
{
    return column >= 0 && column < static_cast<int>(m_personWidth.size()) && m_personWidth[static_cast<size_t>(column)];
}

void CLogView::FitColumnsToContents()
{
    m_sizing = true;
    for (int column = 0; column < m_model->columnCount(); ++column) {
        if (WidthSetByPerson(column))
            continue;
        // The header's text with its sort arrow, or the widest cell of the
        // rows looked at (those in view and up to a thousand more).
        m_list->resizeColumnToContents(column);
    }
    m_sizing = false;
}

void CLogView::DeleteColumns()
{
    if (m_hasColumns)
        SaveColumnWidths();
    m_hasColumns = false;
}

void CLogView::SaveColumnWidths()
{
    if (!m_hasColumns)
        return;
    ManagerSettings& settings = m_doc.Settings();
    const int columns = std::min<int>(m_model->columnCount(), static_cast<int>(settings.columnWidths.size()));
    for (int column = 0; column < columns; ++column)
        settings.columnWidths[static_cast<size_t>(column)] =
            WidthSetByPerson(column) ? m_list->header()->sectionSize(column) : DefaultWidth(column);
}

void CLogView::Refill()
{
    if (!m_hasColumns)
        return;
    WaitCursor wait(m_doc.Interaction());
    const HistoryFilter filter = HistoryFilter::FromSelection(m_doc.CurrentSelection(), m_doc.Interaction());
    // The header forgets its sections' widths when the model is reset.
    std::vector<int> widths;
    for (int column = 0; column < m_model->columnCount(); ++column)
        widths.push_back(m_list->header()->sectionSize(column));
    // A refill (every refresh brings one) keeps the selected records selected.
    std::unordered_set<std::string> selected;
    for (int row : SelectedRows()) {
        if (const LogRecord* record = m_model->Table().Record(row))
            selected.insert(RecordKey(*record));
    }
    // The model's reset resizes the sections: not the person.
    m_sizing = true;
    m_model->Fill(m_doc.Log().Records(), filter, m_sort.Column(), m_sort.RefillDirection());
    for (int column = 0; column < static_cast<int>(widths.size()); ++column)
        m_list->header()->resizeSection(column, widths[static_cast<size_t>(column)]);
    m_sizing = false;
    if (m_fitPending && m_model->rowCount() > 0) {
        m_fitPending = false;
        FitColumnsToContents();
    }
    if (selected.empty()) {
        m_list->scrollToTop();
        return;
    }
    QItemSelection reselect;
    const int last = m_model->columnCount() - 1;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (selected.count(RecordKey(*m_model->Table().Record(row))) != 0)
            reselect.select(m_model->index(row, 0), m_model->index(row, last));
    }
    m_list->selectionModel()->select(reselect, QItemSelectionModel::ClearAndSelect);
}

void CLogView::SortByColumn(int column)
{
    if (!m_hasColumns || column < 0 || column >= m_model->columnCount())
        return;
    WaitCursor wait(m_doc.Interaction());
    const int direction = m_sort.Click(column);
    m_model->Sort(column, direction);
    const HistoryColumn kind = m_model->Table().Columns()[static_cast<std::size_t>(column)];
    const bool ascending = SortsAscending(kind, direction);
    m_list->header()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    m_list->header()->setSortIndicatorShown(true);
}

std::vector<int> CLogView::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool CLogView::CanDeleteSelection() const
{
    return m_list->selectionModel()->hasSelection();
}

bool CLogView::CanCopySelection() const
{
    return m_list->selectionModel()->hasSelection();
}

void CLogView::DeleteSelection()
{
    const std::vector<int> rows = SelectedRows();
    if (rows.empty())
        return;
    UserInteraction& ui = m_doc.Interaction();
    if (ui.ShowMessage("Are you sure that you want to permanently delete the selected records?", kMessageCaption,
                       Buttons::YesNo, Icon::Question) == Answer::No)
        return;
    std::vector<LogRecord> records;
    records.reserve(rows.size());
    for (int row : rows) {
        if (const LogRecord* record = m_model->Table().Record(row))
            records.push_back(*record);
    }
    {
        WaitCursor wait(ui);
        if (const auto failed = DeleteLogRecords(m_doc.DatabaseDirectory(), records, ResolvePathOrEmpty))
            ui.ShowMessage("The records could not be deleted from " + *failed + ".", kMessageCaption, Buttons::Ok,
                           Icon::Error);
    }
    // The list shows what the files hold now, whether or not all went.
    m_doc.LoadActivityLog();
    m_doc.UpdateAllViews(nullptr, hint::DataChanged);
}

void CLogView::CopySelection()
{
    std::vector<CsvExport::Row> rows;
    for (int row : SelectedRows())
        rows.push_back(m_model->Table().RowTexts(row));
    if (rows.empty())
        return;
    CsvExport::CopyToClipboard(CsvExport::ClipboardText(rows));
}

void CLogView::SaveAs()
{
    if (!m_hasColumns)
        return;
    const std::vector<int> rows = SelectedRows();
    const QString path = CsvExport::AskSaveFileName(window());
    if (path.isEmpty())
        return;
    WaitCursor wait(m_doc.Interaction());
    if (!CsvExport::WriteText(path, m_model->Table().SavedText(rows)))
        m_doc.Interaction().ShowMessage("Error opening file for output.", kMessageCaption, Buttons::Ok, Icon::Error);
}

ListPrintout CLogView::Printout()
{
    SaveColumnWidths();
    ListPrintout printout;
    printout.documentName = QStringLiteral("Dialminder History");
    printout.title = QStringLiteral("Logged activities in Dialminder");
    const HistoryTable& table = m_model->Table();
    for (int column = 0; column < table.ColumnCount(); ++column) {
        printout.headers.push_back(QString::fromStdString(HistoryPrintHeader(table.Columns()[static_cast<size_t>(column)])));
    }
    printout.rowCount = table.RowCount();
    printout.cell = [&table](int row, int column) { return DisplayText(table.CellText(row, column)); };
    return printout;
}

void CLogView::Print()
{
    if (!m_hasColumns)
        return;
    ListPrinter::PrintWithDialog(Printout(), window());
}

void CLogView::PrintPreview()
{
    if (!m_hasColumns)
        return;
    ListPrinter::Preview(Printout(), window());
}

void CLogView::ShowPopupMenu(const QPoint& position)
{
    m_menu->popup(m_list->viewport()->mapToGlobal(position));
}

} // namespace dm
