#pragma once
// The history pane: the logged activity (connects, denials, hang-ups and
// disconnections) of the loaded scope, filtered by the tree selection, in
// the columns chosen on the history options page. Sorts on a header click,
// saves to a comma-separated file (hint 73), prints (hint 74) and previews,
// copies the selected rows to the clipboard and deletes the selected
// records from the day files.

#include "manager/core/documentobserver.h"
#include "manager/core/historysort.h"
#include "manager/ui/frame/panecommands.h"

#include <QWidget>

#include <string>
#include <vector>

class QMenu;
class QTreeView;

namespace dm {

class CDMDoc;
class HistoryModel;
struct ListPrintout;

class CLogView : public QWidget, public DocumentObserver, public PaneCommands {
    Q_OBJECT
public:
    explicit CLogView(CDMDoc& doc, QWidget* parent = nullptr);
    // Saves the column widths into the document's settings.
    ~CLogView() override;

    void OnDocumentUpdate(DocumentObserver* sender, int hint) override;

    bool CanDeleteSelection() const override;
    void DeleteSelection() override;
    bool CanCopySelection() const override;
    void CopySelection() override;
    bool CanPrintPreview() const override { return true; }
    void PrintPreview() override;

    // Hint 73: the selected rows, or all when none is selected.
    void SaveAs();
    // Hint 74.
    void Print();
    // As a click on the header of the column at a display index.
    void SortByColumn(int column);
    // Reads the widths the person set into the document's width settings;
    // a column sized to its contents stores its position's default, so that
    // it is sized to its contents again next time.
    void SaveColumnWidths();
    // True when the person set the width of the column at a display index
    // (now or in a stored setting); such a width is kept.
    bool WidthSetByPerson(int column) const;
    // The printout of every row as the list shows them.
    ListPrintout Printout();

    bool HasColumns() const { return m_hasColumns; }
    HistoryModel* Model() const { return m_model; }
    QTreeView* List() const { return m_list; }
    QMenu* PopupMenu() const { return m_menu; }
    const HistorySortState& SortState() const { return m_sort; }
    // Selected rows in display order.
    std::vector<int> SelectedRows() const;

private:
    void BuildColumns();
    void DeleteColumns();
    void Refill();
    void FitColumnsToContents();
    void ShowPopupMenu(const QPoint& position);

    CDMDoc& m_doc;
    HistoryModel* m_model = nullptr;
    QTreeView* m_list = nullptr;
    QMenu* m_menu = nullptr;
    HistorySortState m_sort;
    bool m_hasColumns = false;
    // Per display index: the width was set by the person.
    std::vector<bool> m_personWidth;
    // The columns are sized to their contents after the next fill.
    bool m_fitPending = false;
    // The view itself is setting widths (not the person).
    bool m_sizing = false;
};

} // namespace dm
