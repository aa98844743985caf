#include "manager/ui/frame/captionbar.h"

#include "framework/icons.h"

#include <QEvent>
#include <QLinearGradient>
#include <QPainter>

namespace dm {

CCaptionBar::CCaptionBar(QWidget* parent) : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize CCaptionBar::sizeHint() const
{
    return {400, 34};
}

bool CCaptionBar::IsActiveLook() const
{
    return window() && window()->isActiveWindow();
}

void CCaptionBar::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::ActivationChange)
        update();
    QWidget::changeEvent(event);
}

void CCaptionBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool active = IsActiveLook();
    QLinearGradient gradient(0, 0, width(), 0);
    if (active) {
        gradient.setColorAt(0, QColor(0x1e, 0x3a, 0x8a));
        gradient.setColorAt(1, QColor(0x25, 0x63, 0xeb));
    } else {
        gradient.setColorAt(0, QColor(0x64, 0x74, 0x8b));
        gradient.setColorAt(1, QColor(0x94, 0xa3, 0xb8));
    }
    painter.fillRect(rect(), gradient);
    const int iconSize = height() - 12;
    Icons::Application().paint(&painter, QRect(10, 6, iconSize, iconSize));
    QFont title(QStringLiteral("Liberation Sans"));
    title.setPointSize(14);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(active ? QColor(Qt::white) : QColor(0xe2, 0xe8, 0xf0));
    painter.drawText(QRect(18 + iconSize, 0, width(), height()), Qt::AlignVCenter | Qt::AlignLeft, m_title);
    QFont small(QStringLiteral("Liberation Sans"));
    small.setPointSize(9);
    painter.setFont(small);
    painter.setPen(active ? QColor(0xbf, 0xdb, 0xfe) : QColor(0xe2, 0xe8, 0xf0));
    painter.drawText(rect().adjusted(0, 0, -14, 0), Qt::AlignVCenter | Qt::AlignRight,
                     QStringLiteral("Remote access servers at a glance"));
}

} // namespace dm
