#pragma once
// The sort direction d that the manager's sortable lists (history, users)
// share for the life of the program: +1 at start, -1 after an odd number of
// header clicks in any of them. A list sorts a header click with d and then
// negates it; what d means for a column (ascending texts, descending numbers
// with +1, for example) is the list's own comparison.

namespace dm {

int& SharedSortDirection();

} // namespace dm
