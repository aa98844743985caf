#include "manager/ui/views/usageheader.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

namespace dm {

UsageHeader::UsageHeader(int graphSection, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), m_graphSection(graphSection)
{
    setSectionsClickable(true);
    setHighlightSections(false);
    connect(this, &QHeaderView::sectionClicked, this, &UsageHeader::OnSectionClicked);
}

void UsageHeader::SetWindowText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    viewport()->update();
}

int UsageHeader::GraphLeft() const
{
    return sectionViewportPosition(m_graphSection);
}

int UsageHeader::GraphWidth() const
{
    return isSectionHidden(m_graphSection) ? 0 : sectionSize(m_graphSection);
}

void UsageHeader::paintEvent(QPaintEvent* event)
{
    QHeaderView::paintEvent(event);
    const int width = GraphWidth();
    if (width <= 0)
        return;
    // The sections are drawn as any header draws them; the graph section's
    // arrows and window text go on top.
    QPainter painter(viewport());
    PaintGraphSection(painter, QRect(GraphLeft(), 0, width, viewport()->height()));
}

void UsageHeader::PaintGraphSection(QPainter& painter, const QRect& rect) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const int h = rect.height();
    if (rect.width() > 40) {
        const int middle = rect.top() + h / 2;
        const QPolygon left({QPoint(rect.left() + 5, middle), QPoint(rect.left() + h, rect.top() + 2),
                             QPoint(rect.left() + h, rect.bottom() - 3)});
        const QPolygon right({QPoint(rect.right() - 5, middle), QPoint(rect.right() - h, rect.top() + 2),
                              QPoint(rect.right() - h, rect.bottom() - 3)});
        painter.setPen(QPen(palette().color(QPalette::Shadow), 1));
        painter.setBrush(palette().color(QPalette::Mid));
        painter.drawPolygon(left);
        painter.drawPolygon(right);
        // A light edge along the lower side gives the arrows their relief.
        painter.setPen(QPen(palette().color(QPalette::Light), 1));
        painter.drawLine(left.point(0), left.point(2));
        painter.drawLine(right.point(0), right.point(2));
    }
    const QRect textRect = rect.adjusted(2 * h, 0, -2 * h, 0);
    if (textRect.width() > 50) {
        painter.setPen(palette().color(QPalette::ButtonText));
        painter.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine,
                          fontMetrics().elidedText(m_text, Qt::ElideMiddle, textRect.width()));
    }
    painter.restore();
}

void UsageHeader::mousePressEvent(QMouseEvent* event)
{
    m_pressX = event->position().toPoint().x();
    QHeaderView::mousePressEvent(event);
}

void UsageHeader::OnSectionClicked(int logicalIndex)
{
    if (logicalIndex != m_graphSection || m_pressX < 0)
        return;
    const int left = GraphLeft();
    const int right = left + GraphWidth();
    Q_EMIT stepRequested(right - m_pressX < m_pressX - left);
}

} // namespace dm
