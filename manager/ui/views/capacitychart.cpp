#include "manager/ui/views/capacitychart.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace dm {

CCapacityChart::CCapacityChart(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("CapacityChart"));
    setAccessibleName(QStringLiteral("Load per hour of the day"));
}

void CCapacityChart::SetFigures(std::optional<ServerCapacity> figures)
{
    m_figures = std::move(figures);
    update();
}

int CCapacityChart::PortsNeededAtPeak() const
{
    int needed = 0;
    if (m_figures)
        for (const HourCapacity& hour : m_figures->hours)
            needed = std::max(needed, hour.portsNeeded.value_or(0));
    return needed;
}

void CCapacityChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    Draw(painter, rect());
}

void CCapacityChart::Draw(QPainter& painter, const QRect& area) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QFontMetrics metrics = painter.fontMetrics();
    const int line = metrics.height();
    const QColor text = palette().color(QPalette::Text);
    if (!m_figures) {
        painter.setPen(text);
        painter.drawText(area, Qt::AlignCenter, QStringLiteral("No figures: choose a server and load its days."));
        painter.restore();
        return;
    }
    const ServerCapacity& f = *m_figures;
    const int needed = PortsNeededAtPeak();
    double top = std::max<double>({1.0, double(f.ports), double(needed)});
    for (const HourCapacity& hour : f.hours)
        top = std::max({top, hour.carried, hour.offered.value_or(0.0)});
    top = std::ceil(top * 1.1);

    // Room for the scale on the left, the hours below and the legend above.
    const QRect plot = area.adjusted(metrics.horizontalAdvance(QStringLiteral("0000")) + 8, line * 2, -8, -line * 2);
    if (plot.width() < 48 || plot.height() < 24) {
        painter.restore();
        return;
    }
    auto yOf = [&](double value) { return plot.bottom() - value / top * plot.height(); };
    const double slot = plot.width() / double(kHoursPerDay);

    // Scale: five steps of whole numbers.
    painter.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DotLine));
    const int step = std::max(1, int(std::ceil(top / 5.0)));
    for (int v = 0; v <= top; v += step) {
        const double y = yOf(v);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.save();
        painter.setPen(text);
        painter.drawText(QRectF(area.left(), y - line / 2.0, plot.left() - area.left() - 4, line),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(v));
        painter.restore();
    }
    // Carried load: bars; the busy hour darker.
    for (int h = 0; h < kHoursPerDay; ++h) {
        const double carried = f.hours[static_cast<std::size_t>(h)].carried;
        const QRectF bar(plot.left() + h * slot + slot * 0.15, yOf(carried), slot * 0.7, plot.bottom() - yOf(carried));
        painter.fillRect(bar, h == f.busyHour ? QColor(22, 163, 74) : QColor(134, 239, 172));
        painter.setPen(text);
        if (h % 2 == 0 || slot > metrics.horizontalAdvance(QStringLiteral("00 ")))
            painter.drawText(QRectF(plot.left() + h * slot, plot.bottom() + 2, slot, line), Qt::AlignCenter,
                             QString::number(h));
    }
    // Offered load: a line through the hours that have an estimate.
    QPainterPath offered;
    bool drawing = false;
    for (int h = 0; h < kHoursPerDay; ++h) {
        const auto& value = f.hours[static_cast<std::size_t>(h)].offered;
        const QPointF point(plot.left() + (h + 0.5) * slot, yOf(value.value_or(top)));
        if (!value) {
            drawing = false;
            continue;
        }
        drawing ? offered.lineTo(point) : offered.moveTo(point);
        drawing = true;
    }
    painter.setPen(QPen(QColor(37, 99, 235), 2));
    painter.drawPath(offered);
    // Ports installed (solid) and needed (dashed over it, so that both show
    // where they are equal).
    painter.setPen(QPen(QColor(51, 65, 85), 2));
    painter.drawLine(QPointF(plot.left(), yOf(f.ports)), QPointF(plot.right(), yOf(f.ports)));
    painter.setPen(QPen(QColor(220, 38, 38), 2, Qt::DashLine));
    painter.drawLine(QPointF(plot.left(), yOf(needed)), QPointF(plot.right(), yOf(needed)));
    painter.setPen(text);
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());

    // Legend.
    struct Key {
        QColor color;
        QString text;
        bool line;
    };
    const Key keys[] = {{QColor(134, 239, 172), QStringLiteral("Carried (E)"), false},
                        {QColor(37, 99, 235), QStringLiteral("Offered (E)"), true},
                        {QColor(51, 65, 85), QStringLiteral("Ports: %1").arg(f.ports), true},
                        {QColor(220, 38, 38), QStringLiteral("Ports needed: %1").arg(needed), true}};
    int x = plot.left();
    const int y = area.top() + line / 2;
    for (const Key& key : keys) {
        if (key.line) {
            painter.setPen(QPen(key.color, 2));
            painter.drawLine(x, y + line / 2, x + 16, y + line / 2);
        } else {
            painter.fillRect(QRect(x, y + 2, 16, line - 4), key.color);
        }
        painter.setPen(text);
        painter.drawText(QRect(x + 20, y, metrics.horizontalAdvance(key.text) + 4, line), Qt::AlignVCenter, key.text);
        x += 20 + metrics.horizontalAdvance(key.text) + 18;
    }
    painter.drawText(QRect(plot.left(), plot.bottom() + line, plot.width(), line), Qt::AlignCenter,
                     QStringLiteral("Hour of the day (local time)"));
    painter.restore();
}

} // namespace dm
