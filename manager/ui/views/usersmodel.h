#pragma once
// The users view's rows: indices into the document's account table, with
// the cell texts formed once per refill. The texts, filters and sort are the
// core's (manager/core/userstable.h), so `dmctl users` writes the same.

#include "database/userrecord.h"
#include "manager/core/userstable.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <array>
#include <string>
#include <vector>

namespace dm {

class UsersModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // The record index of a row, for sorting and the openers.
    static constexpr int RecordIndexRole = Qt::UserRole;

    explicit UsersModel(QObject* parent = nullptr);

    // rows are record indices in display order; icons the tree image per row.
    void Fill(const std::vector<UserRecord>& records, std::vector<int> rows, std::vector<QIcon> icons);
    // Reorders the rows with the view's comparison (records unchanged since Fill).
    void Sort(const std::vector<UserRecord>& records, int column, int direction);

    const std::vector<int>& Rows() const { return m_rows; }
    int RecordIndex(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    const std::array<std::string, UsersColumnCount>& Texts(int row) const
    {
        return m_texts[static_cast<std::size_t>(row)];
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<int> m_rows;
    std::vector<std::array<std::string, UsersColumnCount>> m_texts;
    std::vector<QIcon> m_icons;
};

} // namespace dm
