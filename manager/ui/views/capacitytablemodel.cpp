#include "manager/ui/views/capacitytablemodel.h"
#include "framework/displaytext.h"

#include <QBrush>
#include <QFont>

namespace dm {

namespace {
constexpr int kNumberColumn = 2; // from "Carried (E)" on, the columns hold numbers
}

void CapacityTableModel::SetFigures(std::vector<ServerCapacity> figures)
{
    // The rows keep their number when only the figures change: the table
    // keeps its scroll position while a field is being edited.
    if (figures.size() == m_figures.size()) {
        m_figures = std::move(figures);
        if (rowCount() > 0)
            Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
        return;
    }
    beginResetModel();
    m_figures = std::move(figures);
    endResetModel();
}

int CapacityTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_figures.size()) * kHoursPerDay;
}

int CapacityTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(CapacityColumns().size());
}

QString CapacityTableModel::Text(int row, int column) const
{
    const ServerCapacity& server = m_figures[static_cast<std::size_t>(row / kHoursPerDay)];
    return DisplayText(CapacityFields(server, row % kHoursPerDay)[static_cast<std::size_t>(column)]);
}

QVariant CapacityTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const ServerCapacity& server = m_figures[static_cast<std::size_t>(index.row() / kHoursPerDay)];
    const int hour = index.row() % kHoursPerDay;
    switch (role) {
    case Qt::DisplayRole: {
        const QString text = Text(index.row(), index.column());
        // An offered load that cannot be estimated: the ports were full.
        if (text.isEmpty() && (index.column() == 5 || index.column() == 8))
            return QStringLiteral("full");
        return text;
    }
    case Qt::TextAlignmentRole:
        return index.column() >= kNumberColumn ? int(Qt::AlignRight | Qt::AlignVCenter)
                                               : int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::FontRole:
        if (hour == server.busyHour) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    case Qt::ToolTipRole:
        if (hour == server.busyHour)
            return QStringLiteral("The busy hour of %1").arg(DisplayText(server.server));
        return {};
    default: return {};
    }
}

QVariant CapacityTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return {};
    return QString::fromStdString(CapacityColumns()[static_cast<std::size_t>(section)]);
}

} // namespace dm
