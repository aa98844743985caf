#pragma once
// The rows of the history list, without Qt: which loaded activity log
// records the tree selection lets through, in which order, with which
// texts, and the text a Save As writes. The window's model and dmctl
// history both build on it, so they cannot disagree.
//
// A row is only the index of its record in the document's record array
// (4 bytes); texts are formed when asked for.

#include "common/csvtext.h"
#include "common/logrecord.h"
#include "manager/core/historycolumns.h"
#include "manager/core/selection.h"

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

namespace dm {

class UserInteraction;

// The tree selection as the history filters by it; "*" restricts nothing.
// Every comparison ignores case. The account of a record splits into the
// user name (after its last backslash) and the domain (before its first
// backslash, empty without one). A group is matched by the user name only:
// its members are account names without a domain.
struct HistoryFilter {
    std::string server = "*";
    std::string port = "*";
    std::string user = "*";
    std::string domain = "*";
    bool byGroup = false;
    std::unordered_set<std::string> members; // lower case

    // The filters of a selection; a selected group's members are read from
    // the domain's primary controller, "Error getting PDC (%d)" is shown when
    // there is none (and then no record passes). A group matches the user
    // name whatever the record's domain.
    static HistoryFilter FromSelection(const Selection& selection, UserInteraction& ui);
    void SetGroupMembers(const std::vector<std::string>& names);
    bool Matches(const LogRecord& record) const;
};

class HistoryTable {
public:
    // The longest cell a saved file holds, in bytes.
    static constexpr std::size_t kMaxSavedCell = 300;

    // The displayed columns follow the mask (see HistoryColumnsOf).
    void SetColumns(int mask, bool lastedInSeconds);
    const std::vector<HistoryColumn>& Columns() const { return m_columns; }
    int ColumnCount() const { return static_cast<int>(m_columns.size()); }
    int Mask() const { return m_mask; }
    bool LastedInSeconds() const { return m_seconds; }

    // One pass over the records; the rows refer to records, which must
    // outlive them (until the next Fill or Clear).
    void Fill(const std::vector<LogRecord>& records, const HistoryFilter& filter);
    void Clear();
    // Sorts by the column at a display index (0 when out of range).
    void Sort(int column, int direction);

    int RowCount() const { return static_cast<int>(m_rows.size()); }
    std::uint32_t RecordIndex(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    const std::vector<std::uint32_t>& Rows() const { return m_rows; }
    // Null when the row or its record no longer exists.
    const LogRecord* Record(int row) const;

    std::string CellText(int row, int column) const;
    CsvFields RowTexts(int row) const;
    // What a Save As writes: the header line of the mask, then the rows given
    // (every row when none is given), each cell cut to kMaxSavedCell bytes.
    std::string SavedText(const std::vector<int>& rows = {}) const;

private:
    const std::vector<LogRecord>* m_records = nullptr;
    std::vector<std::uint32_t> m_rows;
    std::vector<HistoryColumn> m_columns{HistoryColumn::Time};
    int m_mask = static_cast<int>(HistoryColumn::Time);
    bool m_seconds = false;
};

} // namespace dm
