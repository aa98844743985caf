#include "manager/ui/frame/flattoolbar.h"

#include "framework/icons.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QToolTip>

namespace dm {

namespace {
constexpr int kButtonSize = 38;
constexpr int kIconSize = 24;
constexpr int kGap = 4;
constexpr int kMargin = 6;
// The gap after "Greeting Messages" and after "Print Data" groups the buttons.
constexpr int kGroupGap = 12;
const char* const kTips[] = {"Add RAS server", "System Settings", "Greeting Messages",
                             "Save Data to disk", "Print Data", "Help"};
} // namespace

CFlatToolBar::CFlatToolBar(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover);
    for (int i = 0; i < kButtons; ++i) {
        m_buttons[static_cast<size_t>(i)].icon = Icons::Toolbar(i);
        m_buttons[static_cast<size_t>(i)].tip = QString::fromLatin1(kTips[i]);
    }
    m_buttons[3].state = State::Disabled;
    m_buttons[4].state = State::Disabled;
    m_timer = new QTimer(this);
    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &CFlatToolBar::OnTimer);
    m_timer->start();
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize CFlatToolBar::sizeHint() const
{
    const QRect last = ButtonRect(kButtons - 1);
    return {last.right() + kMargin + 1, kButtonSize + 2 * 4};
}

QRect CFlatToolBar::ButtonRect(int index) const
{
    int x = kMargin + index * (kButtonSize + kGap);
    if (index > 2)
        x += kGroupGap;
    if (index > 4)
        x += kGroupGap;
    return {x, 4, kButtonSize, kButtonSize};
}

int CFlatToolBar::ButtonAt(const QPoint& pos) const
{
    for (int i = 0; i < kButtons; ++i)
        if (ButtonRect(i).contains(pos))
            return i;
    return -1;
}

void CFlatToolBar::EnableButton(int index, bool enable)
{
    Button& button = m_buttons.at(static_cast<size_t>(index));
    const State next = enable ? (button.state == State::Disabled ? State::Normal : button.state) : State::Disabled;
    if (next != button.state) {
        button.state = next;
        update(ButtonRect(index));
    }
}

bool CFlatToolBar::IsButtonEnabled(int index) const
{
    return m_buttons.at(static_cast<size_t>(index)).state != State::Disabled;
}

void CFlatToolBar::OnTimer()
{
    if (!isVisible())
        return;
    TrackCursor(mapFromGlobal(QCursor::pos()));
}

void CFlatToolBar::TrackCursor(const QPoint& localPos)
{
    // While a modal dialog runs, the main window is disabled: nothing lights up.
    QWidget* top = window();
    const bool enabled = top && top->isEnabled() && !QApplication::activeModalWidget();
    const int under = enabled ? ButtonAt(localPos) : -1;
    for (int i = 0; i < kButtons; ++i) {
        Button& button = m_buttons[static_cast<size_t>(i)];
        if (button.state == State::Disabled)
            continue;
        State next = State::Normal;
        if (i == under)
            next = button.state == State::Pressed ? State::Pressed : State::Highlighted;
        if (next != button.state) {
            button.state = next;
            update(ButtonRect(i));
        }
    }
}

void CFlatToolBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    TrackCursor(event->position().toPoint());
    const int index = ButtonAt(event->position().toPoint());
    if (index >= 0 && m_buttons[static_cast<size_t>(index)].state == State::Highlighted) {
        m_buttons[static_cast<size_t>(index)].state = State::Pressed;
        update(ButtonRect(index));
    }
}

void CFlatToolBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int index = ButtonAt(event->position().toPoint());
    int command = -1;
    for (int i = 0; i < kButtons; ++i) {
        Button& button = m_buttons[static_cast<size_t>(i)];
        if (button.state == State::Pressed) {
            if (i == index)
                command = kFirstCommand + i;
            button.state = State::Normal;
            update(ButtonRect(i));
        }
    }
    TrackCursor(event->position().toPoint());
    if (command >= 0)
        Q_EMIT commandTriggered(command);
}

bool CFlatToolBar::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = ButtonAt(help->pos());
        if (index >= 0)
            QToolTip::showText(help->globalPos(), ToolTipText(index), this, ButtonRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    if (event->type() == QEvent::Leave)
        TrackCursor(QPoint(-1, -1));
    return QWidget::event(event);
}

void CFlatToolBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPalette& pal = palette();
    for (int i = 0; i < kButtons; ++i) {
        const Button& button = m_buttons[static_cast<size_t>(i)];
        const QRectF r = QRectF(ButtonRect(i)).adjusted(0.5, 0.5, -0.5, -0.5);
        if (button.state == State::Highlighted || button.state == State::Pressed) {
            QColor fill = pal.color(QPalette::Highlight);
            fill.setAlpha(button.state == State::Pressed ? 70 : 35);
            QColor line = pal.color(QPalette::Highlight);
            line.setAlpha(button.state == State::Pressed ? 200 : 120);
            painter.setPen(QPen(line, 1));
            painter.setBrush(fill);
            painter.drawRoundedRect(r, 6, 6);
        }
        const QIcon::Mode mode = button.state == State::Disabled ? QIcon::Disabled : QIcon::Normal;
        QRect iconRect(0, 0, kIconSize, kIconSize);
        iconRect.moveCenter(ButtonRect(i).center());
        if (button.state == State::Pressed)
            iconRect.translate(1, 1);
        button.icon.paint(&painter, iconRect, Qt::AlignCenter, mode);
    }
    // Separators between the groups.
    painter.setPen(QPen(pal.color(QPalette::Mid), 1));
    for (int after : {2, 4}) {
        const int x = ButtonRect(after).right() + (kGap + kGroupGap) / 2 + 1;
        painter.drawLine(x, 10, x, height() - 10);
    }
}

} // namespace dm
