#include "manager/ui/views/usersmodel.h"
#include "framework/displaytext.h"

#include <algorithm>
#include <numeric>

namespace dm {

UsersModel::UsersModel(QObject* parent) : QAbstractTableModel(parent) {}

void UsersModel::Fill(const std::vector<UserRecord>& records, std::vector<int> rows, std::vector<QIcon> icons)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_icons = std::move(icons);
    m_texts.clear();
    m_texts.reserve(m_rows.size());
    for (int index : m_rows)
        m_texts.push_back(UserRowTexts(records[static_cast<std::size_t>(index)]));
    endResetModel();
}

void UsersModel::Sort(const std::vector<UserRecord>& records, int column, int direction)
{
    // Sort positions, then carry texts and icons along.
    std::vector<int> order(m_rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return CompareUserRecords(records[static_cast<std::size_t>(m_rows[static_cast<std::size_t>(a)])],
                                  records[static_cast<std::size_t>(m_rows[static_cast<std::size_t>(b)])],
                                  column, direction) < 0;
    });
    Q_EMIT layoutAboutToBeChanged();
    std::vector<int> rows;
    std::vector<std::array<std::string, UsersColumnCount>> texts;
    std::vector<QIcon> icons;
    for (int position : order) {
        rows.push_back(m_rows[static_cast<std::size_t>(position)]);
        texts.push_back(std::move(m_texts[static_cast<std::size_t>(position)]));
        icons.push_back(m_icons[static_cast<std::size_t>(position)]);
    }
    std::vector<int> newPosition(order.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        newPosition[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    for (const QModelIndex& index : before)
        after.append(this->index(newPosition[static_cast<std::size_t>(index.row())], index.column()));
    m_rows = std::move(rows);
    m_texts = std::move(texts);
    m_icons = std::move(icons);
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged();
}

int UsersModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int UsersModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : UsersColumnCount;
}

QVariant UsersModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return DisplayText(m_texts[row][static_cast<std::size_t>(index.column())]);
    case Qt::DecorationRole:
        return index.column() == UsersColumnUser ? QVariant(m_icons[row]) : QVariant();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter | (UsersColumns()[static_cast<std::size_t>(index.column())].rightAligned
                                                           ? Qt::AlignRight
                                                           : Qt::AlignLeft));
    case RecordIndexRole:
        return m_rows[row];
    default:
        return {};
    }
}

QVariant UsersModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= UsersColumnCount)
        return {};
    const UsersColumnInfo& column = UsersColumns()[static_cast<std::size_t>(section)];
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(column.header);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter | (column.rightAligned ? Qt::AlignRight : Qt::AlignLeft));
    return {};
}

} // namespace dm
