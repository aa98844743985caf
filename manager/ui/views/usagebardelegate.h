#pragma once
// Draws the usage graph's rows: the texts as any list does (percentages set
// in from the right edge), and in the graph column the occupancy bar read
// from the computed bitmaps: black ends, green where the port was busy,
// grey hatching where it was free. Nothing is computed while painting.

#include "manager/core/usagestatistics.h"

#include <QStyledItemDelegate>

#include <vector>

namespace dm {

class UsageBarDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    UsageBarDelegate(const UsageStatistics& stats, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Draws one bar into rect (the whole cell).
    static void PaintBar(QPainter* painter, const QRect& rect, const std::vector<BarColumn>& columns);

private:
    const UsageStatistics& m_stats;
    mutable std::vector<BarColumn> m_columns;
};

} // namespace dm
