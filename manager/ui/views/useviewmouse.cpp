// The usage graph under the mouse: the time under the cursor as a tooltip,
// the rubber band that narrows the window, and the statistics computed when
// the rows are first painted.

#include "common/timeformat.h"
#include "manager/core/dmdoc.h"
#include "manager/core/messagecaption.h"
#include "manager/ui/views/usageheader.h"
#include "manager/ui/views/usagemodel.h"
#include "manager/ui/views/useview.h"

#include <QMouseEvent>
#include <QTimer>
#include <QToolTip>
#include <QTreeView>

#include <algorithm>
#include <cstdlib>

namespace dm {

bool CUseView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_list->viewport())
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Paint:
        // Painting only reads the bitmaps; when they are not current the
        // calculation runs right after this paint, behind its dialog.
        if (!m_model->Statistics().Computed() && m_model->rowCount() > 0 && !m_calculationQueued && !m_calculating) {
            m_calculationQueued = true;
            QTimer::singleShot(0, this, [this] {
                m_calculationQueued = false;
                EnsureStatistics();
            });
        }
        break;
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        TrackCursor(mouse);
        if (DragBand(mouse))
            return true;
        break;
    }
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        TrackCursor(mouse);
        if (mouse->button() == Qt::LeftButton && m_cursorInGraph) {
            m_anchorX = mouse->position().toPoint().x();
            m_currentX = -1;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            FinishBand();
        break;
    case QEvent::ToolTip:
        // The graph column shows the time under the cursor instead.
        if (m_cursorInGraph)
            return true;
        break;
    case QEvent::Leave:
        if (m_cursorInGraph)
            QToolTip::hideText();
        m_cursorInGraph = false;
        break;
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

bool CUseView::InGraph(const QPoint& pos) const
{
    const int left = m_header->GraphLeft();
    return m_header->GraphWidth() > 0 && pos.x() >= left && pos.x() < left + m_header->GraphWidth() &&
           m_list->indexAt(pos).isValid();
}

void CUseView::TrackCursor(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    if (!InGraph(pos)) {
        if (m_cursorInGraph)
            QToolTip::hideText();
        m_cursorInGraph = false;
        return;
    }
    m_cursorInGraph = true;
    const std::uint32_t time =
        UsageWindow::TimeAt(ShownWindow(), pos.x() - m_header->GraphLeft(), m_header->GraphWidth());
    m_cursorTime = QString::fromStdString(FormatLocalTime("%B %d @ %H:%M", time));
    QToolTip::showText(event->globalPosition().toPoint(), m_cursorTime, m_list->viewport());
}

bool CUseView::DragBand(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton) || m_anchorX < 0)
        return false;
    if (m_cursorInGraph)
        ShowBand(m_anchorX, event->position().toPoint().x());
    // The drag draws the band; it does not select rows.
    return true;
}

void CUseView::ShowBand(int fromX, int toX)
{
    const int left = m_header->GraphLeft();
    const int right = left + m_header->GraphWidth() - 1;
    m_anchorX = std::clamp(fromX, left, right);
    m_currentX = std::clamp(toX, left, right);
    // From the top of the list to the bottom of the last visible row.
    int bottom = 0;
    if (m_model->rowCount() > 0) {
        const QRect last = m_list->visualRect(m_model->index(m_model->rowCount() - 1, 0));
        bottom = std::min(last.bottom(), m_list->viewport()->height() - 1);
    }
    const int x = std::min(m_anchorX, m_currentX);
    m_band->setGeometry(x, 0, std::abs(m_currentX - m_anchorX) + 1, bottom + 1);
    m_band->show();
    m_band->raise();
    m_band->update();
}

QRect CUseView::BandRect() const
{
    return m_band->isVisible() ? m_band->geometry() : QRect();
}

void CUseView::ClearBand()
{
    m_anchorX = m_currentX = -1;
    m_band->hide();
}

void CUseView::FinishBand()
{
    const int width = m_header->GraphWidth();
    if (width <= 0 || m_anchorX < 0 || m_currentX < 0) {
        ClearBand();
        return;
    }
    const int left = m_header->GraphLeft();
    const int from = m_anchorX - left;
    const int to = m_currentX - left;
    ClearBand();
    switch (m_doc.GraphWindow().ApplyBand(ShownWindow(), from, to, width, NowTime())) {
    case UsageWindow::BandResult::TooNarrow:
        m_doc.Interaction().ShowMessage("The selected time span is too narrow.\nPlease select a wider time span.",
                                        kMessageCaption, Buttons::Ok, Icon::Information);
        UpdateCommandStates();
        break;
    case UsageWindow::BandResult::Applied:
    case UsageWindow::BandResult::Reset: AfterWindowChange(); break;
    }
    m_list->viewport()->update();
}

} // namespace dm
