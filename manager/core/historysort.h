#pragma once
// The order of the history list.
//
// CompareLogRecords(a, b, column, d) < 0 puts a before b. d is +1 or -1:
//   server, user, NetBIOS, IPX     byte-wise, case-sensitive text, times d;
//   port                           by the trailing number when both names
//                                  end in digits (COM2 before COM10), as
//                                  text when neither does, times d;
//   time, IP, information (the reason code), lasted
//                                  unsigned numbers, times -d;
//   action                         the action type, signed, times -d.
// So with d = +1 texts sort ascending and numbers (time too) descending.
//
// Where the plain rules leave no order the comparison still gives one, so
// that it is a strict weak order a sort may rely on: two port names with the
// same trailing number compare as text, and a name with a trailing number
// comes before one without (with d = +1).
//
// The trailing number is the run of digits at the end of the name, not
// counting its first character; a name shorter than two characters has none.

#include "common/logrecord.h"
#include "manager/core/historycolumns.h"
#include "manager/core/sortdirection.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace dm {

std::optional<std::uint64_t> PortTrailingNumber(std::string_view port);

int CompareLogRecords(const LogRecord& a, const LogRecord& b, HistoryColumn column, int d);

// Orders rows (indices into records) as CompareLogRecords does; rows that
// compare equal keep the order of the list before any sort, the later
// record first. Runs on keys, not on the records, so a million rows sort
// in a fraction of a second.
void SortHistoryRows(std::vector<std::uint32_t>& rows, const std::vector<LogRecord>& records,
                     HistoryColumn column, int d);

// Whether a sort with d leaves the column's values ascending (texts with
// d = +1, numbers with d = -1): the arrow the header shows.
bool SortsAscending(HistoryColumn column, int d);

// A list's sort: the column (display index) and whether the last sort came
// from a header click. A click sorts with the shared d and then negates it,
// so each click on a header reverses the order; a refill sorts the way the
// last sort did, so new data keeps the order the person chose, and the next
// click still reverses it.
class HistorySortState {
public:
    explicit HistorySortState(int& direction = SharedSortDirection()) : m_direction(direction) {}

    // Column 0, no click yet (the columns were built anew).
    void Reset();
    // The direction to sort the clicked column with.
    int Click(int column);
    // The direction a refill sorts with: the last click's, or the shared d
    // before any click.
    int RefillDirection() const { return m_clicked ? m_lastDirection : m_direction; }
    int Column() const { return m_column; }

private:
    int& m_direction;
    int m_column = 0;
    bool m_clicked = false;
    int m_lastDirection = 1;
};

} // namespace dm
