#pragma once
// The rows of the ports list: one per (server, port), in the order in which
// they were first seen. Rows are updated in place, never sorted, so that the
// list does not flicker and keeps its selection.

#include <QAbstractTableModel>
#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dm {

class PortsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { ColPort, ColServer, ColUser, ColStarted, ColumnCount };
    // The row's image index (3 idle, 4 in session, 5 fault).
    static constexpr int kImageRole = Qt::UserRole + 1;
    // 1 once the row was seen in the current full refresh.
    static constexpr int kSeenRole = Qt::UserRole + 2;

    // A row's names as the core stores them (portName, serverName) and as
    // the list shows them (DisplayText of the stored bytes).
    struct Row {
        std::string portName;
        std::string serverName;
        QString port;
        QString server;
        QString user;
        QString started;
        int image = 3;
        bool seen = false;
        bool placeholder = false; // "(not reachable)" standing for a server without known ports
        QString toolTip;          // why a placeholder stands there
    };
    // The port column of a server that cannot be reached and has no known port.
    static constexpr const char* kNotReachable = "(not reachable)";
    // The port column of a server that answers without the server component.
    static constexpr const char* kNoComponent = "(no server component)";
    static constexpr const char* kNoComponentTip =
        "This server answers, but the Dialminder server component is not installed on it, "
        "so its ports are not read or listed here.";

    explicit PortsModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Finds the row of (server, port), exact and case-sensitive, or appends
    // one; the icon is 3, 5 when the state is above 1, 4 when a session start
    // is known. A new row of a connected port shows date and time, an update
    // the time of day only; without a session an updated row shows " ".
    void ApplyRowUpdate(const std::string& port, const std::string& server, const std::string& user,
                        std::uint32_t sessionStart, int state);
    // The one row of a server that cannot be reached and has no known port:
    // "(not reachable)" with the fault icon, so that the list says why it is empty.
    void ApplyUnreachableRow(const std::string& server);
    // The one row of a server without the server component: "(no server
    // component)" with a tooltip saying why its ports are not listed.
    void ApplyNoComponentRow(const std::string& server);
    void ClearSeenMarks();
    // Deletes, from the last row to the first, every row not seen since
    // ClearSeenMarks.
    void RemoveUnseenRows();
    // The row of the stored names (server, port), or -1.
    int FindRow(const std::string& server, const std::string& port) const;
    const Row& RowAt(int row) const { return m_rows.at(static_cast<size_t>(row)); }

    // The texts of a session start: for a new row (locale short date, a blank,
    // locale time) and for an updated one ("%H:%M:%S"), in local time.
    static QString DateAndTimeText(std::uint32_t time);
    static QString TimeOfDayText(std::uint32_t time);

private:
    std::vector<Row> m_rows;
};

} // namespace dm
