#pragma once
// The Capacity view's table: one row per server and hour, the columns and
// texts of the CSV that Save As and `dmctl capacity --csv` write.

#include "manager/core/capacitymodel.h"

#include <QAbstractTableModel>

#include <vector>

namespace dm {

class CapacityTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetFigures(std::vector<ServerCapacity> figures);
    const std::vector<ServerCapacity>& Figures() const { return m_figures; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The display text of a cell, as the CSV holds it.
    QString Text(int row, int column) const;

private:
    std::vector<ServerCapacity> m_figures;
};

} // namespace dm
