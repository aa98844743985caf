#include "manager/ui/views/portsmodel.h"

#include "framework/displaytext.h"
#include "framework/icons.h"

#include <ctime>

namespace dm {

namespace {
QString FormatLocal(std::uint32_t time, const char* format)
{
    const std::time_t value = static_cast<std::time_t>(time);
    std::tm local{};
    if (!localtime_r(&value, &local))
        return QString();
    char text[64];
    const size_t length = std::strftime(text, sizeof text, format, &local);
    return QString::fromLocal8Bit(text, static_cast<qsizetype>(length));
}
} // namespace

PortsModel::PortsModel(QObject* parent) : QAbstractTableModel(parent) {}

int PortsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int PortsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PortsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= ColumnCount)
        return QVariant();
    const Row& row = m_rows[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case ColPort: return row.port;
        case ColServer: return row.server;
        case ColUser: return row.user;
        case ColStarted: return row.started;
        default: return QVariant();
        }
    case Qt::DecorationRole:
        return index.column() == ColPort ? QVariant(Icons::TreeImage(row.image)) : QVariant();
    case Qt::ToolTipRole: return row.toolTip.isEmpty() ? QVariant() : QVariant(row.toolTip);
    case kImageRole: return row.image;
    case kSeenRole: return row.seen ? 1 : 0;
    default: return QVariant();
    }
}

QVariant PortsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QVariant();
    switch (section) {
    case ColPort: return QStringLiteral("Port");
    case ColServer: return QStringLiteral("Server");
    case ColUser: return QStringLiteral("Current User");
    case ColStarted: return QStringLiteral("Session Started");
    default: return QVariant();
    }
}

int PortsModel::FindRow(const std::string& server, const std::string& port) const
{
    for (size_t i = 0; i < m_rows.size(); ++i)
        if (m_rows[i].serverName == server && m_rows[i].portName == port)
            return static_cast<int>(i);
    return -1;
}

QString PortsModel::DateAndTimeText(std::uint32_t time)
{
    return FormatLocal(time, "%x") + QLatin1Char(' ') + FormatLocal(time, "%X");
}

QString PortsModel::TimeOfDayText(std::uint32_t time)
{
    return FormatLocal(time, "%H:%M:%S");
}

void PortsModel::ApplyRowUpdate(const std::string& port, const std::string& server, const std::string& user,
                                std::uint32_t sessionStart, int state)
{
    int image = 3;
    if (state > 1)
        image = 5;
    if (sessionStart != 0)
        image = 4;
    const bool connected = state == 1 && sessionStart != 0;
    const int found = FindRow(server, port);
    if (found < 0) {
        const int at = rowCount();
        beginInsertRows(QModelIndex(), at, at);
        m_rows.push_back({port, server, DisplayText(port), DisplayText(server), DisplayText(user), connected ? DateAndTimeText(sessionStart) : QString(), image, true,
                          false, QString()});
        endInsertRows();
        return;
    }
    Row& row = m_rows[static_cast<size_t>(found)];
    row.user = DisplayText(user);
    row.started = connected ? TimeOfDayText(sessionStart) : QStringLiteral(" ");
    row.image = image;
    row.seen = true;
    Q_EMIT dataChanged(index(found, 0), index(found, ColumnCount - 1));
}

void PortsModel::ApplyUnreachableRow(const std::string& server)
{
    const std::string port = kNotReachable;
    ApplyRowUpdate(port, server, std::string(), 0, 2);
    const int found = FindRow(server, port);
    m_rows[static_cast<size_t>(found)].placeholder = true;
    m_rows[static_cast<size_t>(found)].started.clear();
}

void PortsModel::ApplyNoComponentRow(const std::string& server)
{
    const std::string port = kNoComponent;
    ApplyRowUpdate(port, server, std::string(), 0, 0);
    Row& row = m_rows[static_cast<size_t>(FindRow(server, port))];
    row.placeholder = true;
    row.started.clear();
    row.toolTip = QString::fromLatin1(kNoComponentTip);
}

void PortsModel::ClearSeenMarks()
{
    for (Row& row : m_rows)
        row.seen = false;
}

void PortsModel::RemoveUnseenRows()
{
    for (int i = rowCount() - 1; i >= 0; --i) {
        if (m_rows[static_cast<size_t>(i)].seen)
            continue;
        beginRemoveRows(QModelIndex(), i, i);
        m_rows.erase(m_rows.begin() + i);
        endRemoveRows();
    }
}

} // namespace dm
