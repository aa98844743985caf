#include "manager/ui/views/usagemodel.h"
#include "framework/displaytext.h"

namespace dm {

UsageModel::UsageModel(QObject* parent) : QAbstractTableModel(parent) {}

int UsageModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_stats.Count());
}

int UsageModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant UsageModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (role == Qt::TextAlignmentRole)
        return index.column() == Free || index.column() == Busy ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                                : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case Item: return DisplayText(m_stats.Entries()[row].label);
    case Free:
        return m_stats.Computed() ? QVariant(QString::number(m_stats.FreePercent(row))) : QVariant();
    case Busy:
        return m_stats.Computed() ? QVariant(QString::number(m_stats.BusyPercent(row))) : QVariant();
    default: return {};
    }
}

QVariant UsageModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return section == Free || section == Busy ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                  : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Item: return QStringLiteral("Item");
    case Free: return QStringLiteral("Free (%)");
    case Busy: return QStringLiteral("Busy (%)");
    default: return QString();
    }
}

void UsageModel::SetLabels(const std::vector<std::string>& labels)
{
    beginResetModel();
    m_stats.SetEntries(labels);
    endResetModel();
}

void UsageModel::Compute(const std::vector<LogRecord>& records, TimeSpan window,
                         const UsageStatistics::Progress& progress, std::uint32_t inProgressUntil)
{
    m_stats.Compute(records, window, progress, inProgressUntil);
    if (rowCount() > 0)
        Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

} // namespace dm
