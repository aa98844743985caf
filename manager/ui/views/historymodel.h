#pragma once
// The history list's model: a table over the document's activity log
// records that holds only row indices (HistoryTable). Texts and icons are
// formed when the view asks for them, so a million rows fill and sort at
// once.

#include "manager/core/historytable.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <vector>

namespace dm {

class HistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The record index of a row (an unsigned 32-bit number).
    static constexpr int kRecordIndexRole = Qt::UserRole + 1;

    explicit HistoryModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // New columns; the rows are emptied.
    void SetColumns(int mask, bool lastedInSeconds);
    // New rows from the records, sorted by a display column and direction.
    void Fill(const std::vector<LogRecord>& records, const HistoryFilter& filter, int column, int direction);
    // Reorders the rows; persistent indices (the selection) follow their rows.
    void Sort(int column, int direction);
    void Clear();

    const HistoryTable& Table() const { return m_table; }

private:
    HistoryTable m_table;
};

} // namespace dm
