#pragma once
// The users view's rows, texts, filters, sort and comma-separated text,
// without Qt, so that the window and `dmctl users` show the same accounts in
// the same words.

#include "database/userrecord.h"

#include <array>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

class UserInteraction;

enum UsersColumn : int {
    UsersColumnUser = 0,
    UsersColumnSessions,
    UsersColumnDenials,
    UsersColumnLastSession,
    UsersColumnLasted,
    UsersColumnTotal,
    UsersColumnCount
};

// Header, on-screen width, right alignment and print header of each column.
struct UsersColumnInfo {
    const char* header;
    int width;
    bool rightAligned;
    const char* printHeader;
};
const std::array<UsersColumnInfo, UsersColumnCount>& UsersColumns();

// "User,Sessions,Denials,Last Session,Lasted,Total Time": the first line of Save As.
extern const char kUsersCsvHeader[];

// The tree's filters, "*" where not restricted. With a group, members holds
// the group's user names (fetched from the domain's controller).
struct UsersFilter {
    std::string domain = "*";
    std::string group = "*";
    std::string user = "*";
    std::vector<std::string> members;
};

// The group's members for the filter, read from the domain's controller
// ("Error getting PDC (%d)" through ui when there is none); empty otherwise.
std::vector<std::string> UsersFilterMembers(const UsersFilter& filter, UserInteraction& ui);

// The record indices that pass every active filter (names compare without
// regard to case: the domain part before the first backslash, the user part
// after the last; with a group, its members pass whatever their domain
// part), in the view's order: the reverse of the array's.
std::vector<int> FilterUserRows(const std::vector<UserRecord>& records, const UsersFilter& filter);
// Whether one account passes every active filter.
bool PassesUsersFilter(std::string_view accountKey, const UsersFilter& filter);

// The six cell texts of a record as the list shows them: hh:mm durations,
// " " for a last session of 0 seconds, empty last-session cells when the
// account never connected.
std::array<std::string, UsersColumnCount> UserRowTexts(const UserRecord& record);

// The view's comparison for column c with the shared direction d (+1 or -1):
// names byte-wise times d; numbers -d when b < a, d when a < b, 0 when equal.
// With d = +1 names sort ascending and numbers descending.
int CompareUserRecords(const UserRecord& a, const UserRecord& b, int column, int d);
// Whether that comparison with d leaves the column ascending: the arrow the
// header shows.
inline bool UserSortAscends(int column, int d) { return (column == UsersColumnUser) == (d > 0); }
// Sorts rows (record indices) stably with that comparison.
void SortUserRows(std::vector<int>& rows, const std::vector<UserRecord>& records, int column, int d);

// The icon of a row: 13 for an account the limit test reports, else 2.
int UserRowIcon(int limitState);

// Save As: the header line, then every row's cells each followed by ",".
std::string UsersCsv(const std::vector<UserRecord>& records, const std::vector<int>& rows);
// The same text handed to write in pieces of about 64 KB, so that a large
// table's text is never held whole (dmctl users).
void WriteUsersCsv(const std::vector<UserRecord>& records, const std::vector<int>& rows,
                   const std::function<void(std::string_view piece)>& write);
// Copy to Clipboard: the rows without header, lines ended by "\r\n".
std::string UsersClipboardText(const std::vector<UserRecord>& records, const std::vector<int>& rows);

} // namespace dm
