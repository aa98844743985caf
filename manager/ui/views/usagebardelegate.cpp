#include "manager/ui/views/usagebardelegate.h"

#include "manager/core/usagestatistics.h"
#include "manager/ui/views/usagemodel.h"

#include <QPainter>

#include <algorithm>

namespace dm {

namespace {
const QColor kBusy(0, 255, 0);
const QColor kIdle(128, 128, 128);
// Rows are as high as the 16-pixel images of the lists, with a little air.
constexpr int kRowHeight = 20;
constexpr int kPercentInset = 12;
} // namespace

UsageBarDelegate::UsageBarDelegate(const UsageStatistics& stats, QObject* parent)
    : QStyledItemDelegate(parent), m_stats(stats)
{
}

QSize UsageBarDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), kRowHeight));
    return size;
}

void UsageBarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (index.column() != UsageModel::Graph) {
        QStyleOptionViewItem textOption(option);
        if (index.column() == UsageModel::Free || index.column() == UsageModel::Busy)
            textOption.rect.adjust(0, 0, -(kPercentInset - 4), 0);
        QStyledItemDelegate::paint(painter, textOption, index);
        return;
    }
    if (m_stats.Computed())
        m_stats.Bar(static_cast<std::size_t>(index.row()), option.rect.width(), m_columns);
    else
        m_columns.clear();
    PaintBar(painter, option.rect, m_columns);
}

void UsageBarDelegate::PaintBar(QPainter* painter, const QRect& rect, const std::vector<BarColumn>& columns)
{
    painter->fillRect(rect, Qt::black);
    const int top = rect.top() + 1;
    const int height = rect.height() - 2;
    if (height <= 0)
        return;
    // Neighbouring columns of one colour are filled as one rectangle.
    const int count = static_cast<int>(columns.size());
    for (int x = 0; x < count;) {
        const BarColumn kind = columns[static_cast<std::size_t>(x)];
        int run = x + 1;
        while (run < count && columns[static_cast<std::size_t>(run)] == kind)
            ++run;
        if (kind == BarColumn::Busy || kind == BarColumn::Idle)
            painter->fillRect(rect.left() + x, top, run - x, height, kind == BarColumn::Busy ? kBusy : kIdle);
        x = run;
    }
}

} // namespace dm
