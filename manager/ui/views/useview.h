#pragma once
// The usage graph: for every port of the tree selection, how much of a time
// window it was free and busy, and an occupancy bar in which each pixel
// column stands for a slice of the window.
//
// The window lives in the document (CDMDoc::GraphWindow). It is stepped by
// the header's arrows and the toolbar, zoomed by hour, day, week or month,
// set to today, reset to the whole loaded history, narrowed by dragging
// across the bars, and undone one step by zoom back. The statistics are
// computed behind a small progress dialog the first time the rows are
// painted and after every change of the window; painting reads only the
// computed bitmaps.

#include "manager/core/documentobserver.h"
#include "manager/ui/frame/panecommands.h"

#include <QWidget>

class QAction;
class QMenu;
class QMouseEvent;
class QToolBar;
class QTreeView;

namespace dm {

class CDMDoc;
class UsageBarDelegate;
class UsageHeader;
class UsageModel;
struct TimeSpan;

class CUseView : public QWidget, public DocumentObserver, public PaneCommands {
    Q_OBJECT
public:
    explicit CUseView(CDMDoc& doc, QWidget* parent = nullptr);
    ~CUseView() override;

    void OnDocumentUpdate(DocumentObserver* sender, int hint) override;

    // The view's commands; each but Save As and Print changes the window and
    // recomputes the statistics.
    void ZoomBy(int unit);
    void ViewToday();
    void ResetTimeSpan();
    void ZoomBack();
    void StepBack();
    void StepForward();
    // The selected rows to a comma-separated file.
    void SaveAs();
    // Every row, with its bar, to the printer.
    void Print();
    // Computes the statistics (behind the progress dialog) unless they are current.
    void EnsureStatistics();

    // How long the progress dialog shows before the work starts (300 ms;
    // tests and screenshots shorten it).
    static void SetCalculationDelay(int milliseconds);

    UsageModel* Model() const { return m_model; }
    QTreeView* List() const { return m_list; }
    UsageHeader* Header() const { return m_header; }
    QMenu* PopupMenu() const { return m_popup; }
    QAction* ZoomAction(int unit) const;
    QAction* TodayAction() const { return m_today; }
    QAction* ResetAction() const { return m_reset; }
    QAction* ZoomBackAction() const { return m_zoomBack; }
    int Calculations() const { return m_calculations; }
    QString CursorTimeText() const { return m_cursorTime; }
    // The rubber band as drawn over the rows; empty when none.
    QRect BandRect() const;
    // Draws a band over the rows without finishing it (screenshots).
    void ShowBand(int fromX, int toX);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateCommands();
    void BuildColumns();
    void RebuildRows();
    void Calculate(bool saveForZoomBack);
    void AfterWindowChange();
    void UpdateWindowText();
    void UpdateCommandStates();
    TimeSpan ShownWindow() const;
    bool InGraph(const QPoint& pos) const;
    void TrackCursor(QMouseEvent* event);
    bool DragBand(QMouseEvent* event);
    void FinishBand();
    void ClearBand();

    CDMDoc& m_doc;
    UsageModel* m_model = nullptr;
    QTreeView* m_list = nullptr;
    UsageHeader* m_header = nullptr;
    UsageBarDelegate* m_delegate = nullptr;
    QToolBar* m_tools = nullptr;
    QWidget* m_band = nullptr;
    QMenu* m_popup = nullptr;
    QAction* m_zoom[4] = {};
    QAction* m_today = nullptr;
    QAction* m_reset = nullptr;
    QAction* m_zoomBack = nullptr;
    QAction* m_back = nullptr;
    QAction* m_forward = nullptr;
    bool m_columnsBuilt = false;
    bool m_calculating = false;
    bool m_calculationQueued = false;
    int m_calculations = 0;
    // The band's anchor and current x in the list's viewport; -1 = none.
    int m_anchorX = -1;
    int m_currentX = -1;
    bool m_cursorInGraph = false;
    QString m_cursorTime;
};

} // namespace dm
