#include "manager/ui/views/historymodel.h"
#include "framework/displaytext.h"

#include "framework/icons.h"
#include "manager/core/historytexts.h"

#include <unordered_map>

namespace dm {

HistoryModel::HistoryModel(QObject* parent) : QAbstractTableModel(parent) {}

int HistoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table.RowCount();
}

int HistoryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_table.ColumnCount();
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_table.RowCount() || index.column() >= m_table.ColumnCount())
        return {};
    switch (role) {
    case Qt::DisplayRole: return DisplayText(m_table.CellText(index.row(), index.column()));
    case Qt::DecorationRole:
        if (index.column() == 0) {
            if (const LogRecord* record = m_table.Record(index.row()))
                return Icons::HistoryImage(HistoryIconOf(*record));
        }
        return {};
    case kRecordIndexRole: return static_cast<uint>(m_table.RecordIndex(index.row()));
    default: return {};
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_table.ColumnCount())
        return {};
    return QString::fromStdString(
        HistoryListHeader(m_table.Columns()[static_cast<size_t>(section)], m_table.LastedInSeconds()));
}

void HistoryModel::SetColumns(int mask, bool lastedInSeconds)
{
    beginResetModel();
    m_table.Clear();
    m_table.SetColumns(mask, lastedInSeconds);
    endResetModel();
}

void HistoryModel::Fill(const std::vector<LogRecord>& records, const HistoryFilter& filter, int column,
                        int direction)
{
    beginResetModel();
    m_table.Fill(records, filter);
    m_table.Sort(column, direction);
    endResetModel();
}

void HistoryModel::Sort(int column, int direction)
{
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::uint32_t> records;
    records.reserve(static_cast<size_t>(before.size()));
    for (const QModelIndex& index : before)
        records.push_back(m_table.RecordIndex(index.row()));
    m_table.Sort(column, direction);
    if (!before.isEmpty()) {
        std::unordered_map<std::uint32_t, int> rowOf;
        for (std::uint32_t record : records)
            rowOf.emplace(record, -1);
        for (int row = 0; row < m_table.RowCount(); ++row) {
            if (auto it = rowOf.find(m_table.RecordIndex(row)); it != rowOf.end())
                it->second = row;
        }
        QModelIndexList after;
        after.reserve(before.size());
        for (int i = 0; i < before.size(); ++i)
            after.push_back(index(rowOf[records[static_cast<size_t>(i)]], before[i].column()));
        changePersistentIndexList(before, after);
    }
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void HistoryModel::Clear()
{
    beginResetModel();
    m_table.Clear();
    endResetModel();
}

} // namespace dm
