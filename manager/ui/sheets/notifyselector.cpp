#include "manager/ui/sheets/notifyselector.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace dm {

CNotifySelector::CNotifySelector(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("Choose the notification to edit"));
    setAccessibleName(QStringLiteral("Notification selector"));
}

void CNotifySelector::SetSelected(int index)
{
    if (index == m_selected)
        return;
    m_selected = index;
    update();
}

void CNotifySelector::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint()))
        return;
    Q_EMIT chosen(IndexAt(event->position().toPoint().y(), height()));
}

void CNotifySelector::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_1: Q_EMIT chosen(0); break;
    case Qt::Key_Down:
    case Qt::Key_2: Q_EMIT chosen(1); break;
    default: QWidget::keyPressEvent(event);
    }
}

void CNotifySelector::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    const int half = height() / 2;
    for (int i = 0; i < 2; ++i) {
        const QRect area = i == 0 ? QRect(0, 0, width(), half + 1) : QRect(0, half + 1, width(), height() - half - 1);
        const QRectF card = QRectF(area).adjusted(6, 6, -6, -6);
        const bool selected = i == m_selected;
        // A sunken frame around the chosen half: dark above and left, light below and right.
        if (selected) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(pal.color(QPalette::Base));
            painter.drawRect(QRectF(area).adjusted(1, 1, -1, -1));
            painter.setPen(QPen(pal.color(QPalette::Dark), 1));
            painter.drawLine(area.topLeft(), area.topRight());
            painter.drawLine(area.topLeft(), area.bottomLeft());
            painter.setPen(QPen(pal.color(QPalette::Light), 1));
            painter.drawLine(area.bottomLeft(), area.bottomRight());
            painter.drawLine(area.topRight(), area.bottomRight());
        }
        // A clock face whose hand shows how close the disconnect is: the
        // first notice comes earlier than the second.
        const QColor accent = i == 0 ? QColor(0x2f, 0x7d, 0xd1) : QColor(0xd9, 0x7a, 0x1c);
        const qreal radius = qMin(card.width(), card.height() - 16) / 2.0 - 2;
        const QPointF centre(card.center().x(), card.top() + radius + 2);
        painter.setPen(QPen(selected ? accent : pal.color(QPalette::Mid), 2.5));
        painter.setBrush(selected ? accent.lighter(185) : pal.color(QPalette::Window));
        painter.drawEllipse(centre, radius, radius);
        QPainterPath sweep;
        sweep.moveTo(centre);
        sweep.arcTo(QRectF(centre.x() - radius + 3, centre.y() - radius + 3, 2 * radius - 6, 2 * radius - 6), 90,
                    i == 0 ? -300 : -330);
        sweep.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(selected ? accent : pal.color(QPalette::Midlight));
        painter.drawPath(sweep);
        QFont font = painter.font();
        font.setBold(selected);
        painter.setFont(font);
        painter.setPen(pal.color(selected ? QPalette::Text : QPalette::PlaceholderText));
        painter.drawText(QRectF(card.left(), card.bottom() - 16, card.width(), 16), Qt::AlignCenter,
                         QStringLiteral("Notification %1").arg(i + 1));
    }
    if (hasFocus()) {
        painter.setPen(QPen(pal.color(QPalette::Highlight), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

} // namespace dm
