// The usage graph on paper: the window as a title, then every row with its
// label, percentages and occupancy bar, as many rows to a page as fit.

#include "framework/printerchoice.h"
#include "framework/displaytext.h"
#include "manager/ui/views/usagebardelegate.h"
#include "manager/ui/views/usageheader.h"
#include "manager/ui/views/usagemodel.h"
#include "manager/ui/views/useview.h"

#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <memory>

namespace dm {

void CUseView::Print()
{
    EnsureStatistics();
    std::unique_ptr<QPrinter> printer = PrinterChoice::Choose(window(), QStringLiteral("Dialminder usage"));
    if (!printer)
        return;
    QPainter painter;
    if (!painter.begin(printer.get()))
        return;
    const UsageStatistics& stats = m_model->Statistics();
    const QRect page = painter.viewport();
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9);
    painter.setFont(font);
    const int line = painter.fontMetrics().height();
    const int rowHeight = line * 3 / 2;
    // Item, free, busy, then the bar to the right edge.
    const int itemWidth = page.width() * 22 / 100;
    const int numberWidth = page.width() * 8 / 100;
    const int barLeft = itemWidth + 2 * numberWidth + line;
    std::vector<BarColumn> columns;

    int y = 0;
    auto printTitle = [&] {
        QFont bold = font;
        bold.setBold(true);
        painter.setFont(bold);
        painter.drawText(QRect(0, 0, page.width(), line), Qt::AlignLeft, QStringLiteral("Port usage"));
        painter.drawText(QRect(0, 0, page.width(), line), Qt::AlignRight, m_header->WindowText());
        y = line * 2;
        painter.drawText(QRect(0, y, itemWidth, line), Qt::AlignLeft, QStringLiteral("Item"));
        painter.drawText(QRect(itemWidth, y, numberWidth, line), Qt::AlignRight, QStringLiteral("Free (%)"));
        painter.drawText(QRect(itemWidth + numberWidth, y, numberWidth, line), Qt::AlignRight,
                         QStringLiteral("Busy (%)"));
        painter.setFont(font);
        y += rowHeight;
    };
    printTitle();
    for (std::size_t row = 0; row < stats.Count(); ++row) {
        if (y + rowHeight > page.height()) {
            printer->newPage();
            printTitle();
        }
        painter.drawText(QRect(0, y, itemWidth, line), Qt::AlignLeft | Qt::AlignVCenter,
                         DisplayText(stats.Entries()[row].label));
        painter.drawText(QRect(itemWidth, y, numberWidth, line), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(stats.FreePercent(row)));
        painter.drawText(QRect(itemWidth + numberWidth, y, numberWidth, line), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(stats.BusyPercent(row)));
        // The bar is drawn at screen resolution and scaled, so that the
        // hatching stays visible on paper.
        const QRect target(barLeft, y, page.width() - barLeft, line);
        const int cellWidth = std::min(target.width(), 600);
        stats.Bar(row, cellWidth, columns);
        painter.save();
        painter.translate(target.topLeft());
        painter.scale(static_cast<double>(target.width()) / cellWidth, static_cast<double>(line) / 16.0);
        UsageBarDelegate::PaintBar(&painter, QRect(0, 0, cellWidth, 16), columns);
        painter.restore();
        y += rowHeight;
    }
    painter.end();
}

} // namespace dm
