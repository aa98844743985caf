#include "framework/onscreen.h"

#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace dm {

QRect FitIntoArea(const QRect& frame, const QSize& minimum, const QRect& area)
{
    const int width = std::max(std::min(frame.width(), area.width()), minimum.width());
    const int height = std::max(std::min(frame.height(), area.height()), minimum.height());
    QRect placed(frame.topLeft(), QSize(width, height));
    if (placed.right() > area.right())
        placed.moveRight(area.right());
    if (placed.bottom() > area.bottom())
        placed.moveBottom(area.bottom());
    if (placed.left() < area.left())
        placed.moveLeft(area.left());
    if (placed.top() < area.top())
        placed.moveTop(area.top());
    return placed;
}

void KeepOnScreen(QWidget* window)
{
    QScreen* screen = window->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    // The frame's decoration is kept out of the size the contents get.
    const QSize decoration = frame.size() - window->geometry().size();
    const QRect placed = FitIntoArea(frame, window->minimumSize() + decoration, area);
    if (placed.size() != frame.size())
        window->resize(placed.size() - decoration);
    if (placed.topLeft() != frame.topLeft())
        window->move(placed.topLeft());
}

void OnScreenGuard::Install()
{
    static OnScreenGuard* guard = nullptr;
    if (guard)
        return;
    guard = new OnScreenGuard(qApp);
    qApp->installEventFilter(guard);
}

bool OnScreenGuard::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        const Qt::WindowType type = widget->windowType();
        if (widget->isWindow() && (type == Qt::Window || type == Qt::Dialog || type == Qt::Sheet))
            KeepOnScreen(widget);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace dm
