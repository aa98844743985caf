#pragma once
// The rows of the usage graph: one per port, with the label, the free and
// the busy percentage as texts; the occupancy bar (the last column) is drawn
// by UsageBarDelegate from the same statistics. The percentages show once
// the statistics are computed.

#include "manager/core/usagestatistics.h"

#include <QAbstractTableModel>

namespace dm {

class UsageModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Item = 0, Free = 1, Busy = 2, Graph = 3, ColumnCount = 4 };

    explicit UsageModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Replaces the rows; their statistics are not computed yet.
    void SetLabels(const std::vector<std::string>& labels);
    // Computes the statistics of every row, reporting each row as it is done.
    void Compute(const std::vector<LogRecord>& records, TimeSpan window, const UsageStatistics::Progress& progress,
                 std::uint32_t inProgressUntil = 0);
    void Invalidate() { m_stats.Invalidate(); }
    const UsageStatistics& Statistics() const { return m_stats; }

private:
    UsageStatistics m_stats;
};

} // namespace dm
