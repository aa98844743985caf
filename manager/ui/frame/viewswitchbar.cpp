#include "manager/ui/frame/viewswitchbar.h"

#include "manager/ui/frame/portcounters.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace dm {

namespace {
const char* const kLabels[] = {"Status", "History", "Graphs"};
constexpr int kTop = 6;
constexpr int kLeft = 8;
} // namespace

CViewSwitchBar::CViewSwitchBar(const PortCounters& counters, QWidget* parent)
    : QWidget(parent), m_counters(counters)
{
    setToolTip(QStringLiteral("Switch type of view"));
    setStatusTip(QStringLiteral("Status, History and Graphs: Ctrl+1, Ctrl+2, Ctrl+3; the arrow keys once it has the focus"));
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("View"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

QSize CViewSwitchBar::sizeHint() const
{
    return {kLeft + 3 * kTabWidth + 420, 46};
}

QSize CViewSwitchBar::minimumSizeHint() const
{
    // The tabs and the counters in their narrowest form: an 800-pixel
    // window still shows every number.
    return {CountersLeft() + CountersWidth(CountersLines(0)) + 4, 46};
}

int CViewSwitchBar::CountersLeft() const
{
    return kLeft + 3 * kTabWidth + 16;
}

QStringList CViewSwitchBar::CountersLines(int width) const
{
    const QString full = CountersText();
    if (CountersWidth({full}) <= width)
        return {full};
    // The same counters with short gaps, then on two lines.
    const QString servers = QStringLiteral("Servers: %1").arg(m_counters.servers.load());
    const QString ports = QStringLiteral("Ports: %1").arg(m_counters.ports.load());
    const QString busy = QStringLiteral("Busy Ports: %1").arg(m_counters.busyPorts.load());
    const QString gap = QStringLiteral("   ");
    const QString oneLine = servers + gap + ports + gap + busy;
    if (CountersWidth({oneLine}) <= width)
        return {oneLine};
    return {servers + gap + ports, busy};
}

int CViewSwitchBar::CountersWidth(const QStringList& lines) const
{
    int widest = 0;
    for (const QString& line : lines)
        widest = std::max(widest, fontMetrics().horizontalAdvance(line));
    return widest;
}

QRect CViewSwitchBar::TabRect(int index) const
{
    return {kLeft + index * kTabWidth, kTop, kTabWidth, height() - 2 * kTop};
}

QString CViewSwitchBar::CountersText() const
{
    return QString::fromStdString(m_counters.Text());
}

void CViewSwitchBar::SetMode(int mode)
{
    if (mode == m_mode)
        return;
    m_mode = mode;
    update();
}

void CViewSwitchBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    for (int i = 0; i < 3; ++i) {
        if (TabRect(i).contains(event->position().toPoint())) {
            SetMode(i);
            Q_EMIT modeSelected(i);
            return;
        }
    }
}

void CViewSwitchBar::keyPressEvent(QKeyEvent* event)
{
    int mode = m_mode;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up: mode = std::max(0, m_mode - 1); break;
    case Qt::Key_Right:
    case Qt::Key_Down: mode = std::min(2, m_mode + 1); break;
    case Qt::Key_Home: mode = 0; break;
    case Qt::Key_End: mode = 2; break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
    if (mode == m_mode)
        return;
    SetMode(mode);
    Q_EMIT modeSelected(mode);
}

void CViewSwitchBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    // A segmented control: one rounded frame, the chosen segment filled.
    const QRectF all = QRectF(TabRect(0).united(TabRect(2))).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setPen(QPen(pal.color(QPalette::Mid), 1));
    painter.setBrush(pal.color(QPalette::Base));
    painter.drawRoundedRect(all, 7, 7);
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    for (int i = 0; i < 3; ++i) {
        const QRectF r = QRectF(TabRect(i)).adjusted(2.5, 2.5, -2.5, -2.5);
        if (i == m_mode) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(pal.color(QPalette::Highlight));
            painter.drawRoundedRect(r, 5, 5);
            painter.setPen(pal.color(QPalette::HighlightedText));
        } else {
            if (i > 0) {
                painter.setPen(QPen(pal.color(QPalette::Midlight), 1));
                painter.drawLine(QPointF(TabRect(i).left() + 0.5, r.top() + 4),
                                 QPointF(TabRect(i).left() + 0.5, r.bottom() - 4));
            }
            painter.setPen(pal.color(QPalette::ButtonText));
        }
        painter.drawText(r, Qt::AlignCenter, QString::fromLatin1(kLabels[i]));
        if (i == m_mode && hasFocus()) {
            QPen dotted(pal.color(QPalette::HighlightedText), 1, Qt::DotLine);
            painter.setPen(dotted);
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(r.adjusted(3, 3, -3, -3), 3, 3);
        }
    }
    painter.setFont(font());
    painter.setPen(pal.color(QPalette::WindowText));
    const QRect text(CountersLeft(), 0, width() - CountersLeft(), height());
    painter.drawText(text, Qt::AlignVCenter | Qt::AlignLeft, CountersLines(text.width()).join(QLatin1Char('\n')));
}

} // namespace dm
