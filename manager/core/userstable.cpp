#include "manager/core/userstable.h"

#include "common/csvtext.h"
#include "common/text.h"
#include "common/timeformat.h"
#include "manager/core/networkaccounts.h"

#include <algorithm>
#include <cstdio>
#include <strings.h>

namespace dm {

const char kUsersCsvHeader[] = "User,Sessions,Denials,Last Session,Lasted,Total Time";

const std::array<UsersColumnInfo, UsersColumnCount>& UsersColumns()
{
    static const std::array<UsersColumnInfo, UsersColumnCount> columns = {{
        {"User", 160, false, "User Account"},
        {"Sessions", 60, true, "Sessions"},
        {"Denials", 60, true, "Denials"},
        {"Last Session", 135, true, "Last Session"},
        {"Lasted (hh:mm)", 85, true, "Lasted"},
        {"Total (hh:mm)", 90, true, "Total Time"},
    }};
    return columns;
}

namespace {

// Hours and minutes within the hour; seconds are dropped. Counters are stored
// signed but mean seconds, so they are taken unsigned.
std::string HoursMinutes(std::int32_t seconds)
{
    const std::uint32_t s = static_cast<std::uint32_t>(seconds);
    char text[32];
    std::snprintf(text, sizeof text, "%.2u:%.2u", s / 3600, (s / 60) % 60);
    return text;
}

template <typename T>
int Order(T a, T b, int d)
{
    if (b < a)
        return -d;
    return a < b ? d : 0;
}

} // namespace

std::vector<std::string> UsersFilterMembers(const UsersFilter& filter, UserInteraction& ui)
{
    if (filter.group == "*")
        return {};
    return NetworkAccounts::GroupMembers(filter.domain, filter.group, ui);
}

bool PassesUsersFilter(std::string_view key, const UsersFilter& filter)
{
    const std::size_t first = key.find('\\');
    const std::size_t last = key.rfind('\\');
    const std::string_view domain = first == std::string_view::npos ? key : key.substr(0, first);
    const std::string_view user = last == std::string_view::npos ? key : key.substr(last + 1);
    // A group's members count by their user part whatever their domain:
    // the domain then only names the controller that lists the group.
    if (filter.group == "*" && filter.domain != "*" && !EqualNoCase(filter.domain, domain))
        return false;
    if (filter.group != "*" &&
        std::none_of(filter.members.begin(), filter.members.end(),
                     [&](const std::string& member) { return EqualNoCase(member, user); }))
        return false;
    return filter.user == "*" || EqualNoCase(filter.user, user);
}

std::vector<int> FilterUserRows(const std::vector<UserRecord>& records, const UsersFilter& filter)
{
    std::vector<int> rows;
    rows.reserve(records.size());
    for (int i = static_cast<int>(records.size()) - 1; i >= 0; --i) {
        if (PassesUsersFilter(records[static_cast<std::size_t>(i)].accountKey, filter))
            rows.push_back(i);
    }
    return rows;
}

std::array<std::string, UsersColumnCount> UserRowTexts(const UserRecord& record)
{
    std::array<std::string, UsersColumnCount> texts;
    texts[UsersColumnUser] = record.accountKey;
    texts[UsersColumnSessions] = std::to_string(record.totalConnects);
    texts[UsersColumnDenials] = std::to_string(record.totalDenieds);
    if (record.lastConnection != 0) {
        texts[UsersColumnLastSession] =
            FormatShortDate(record.lastConnection) + " " + FormatTimeOfDay(record.lastConnection);
        texts[UsersColumnLasted] = record.lasted == 0 ? " " : HoursMinutes(record.lasted);
    }
    texts[UsersColumnTotal] = HoursMinutes(record.totalTime);
    return texts;
}

int CompareUserRecords(const UserRecord& a, const UserRecord& b, int column, int d)
{
    switch (column) {
    case UsersColumnUser: {
        const int c = a.accountKey.compare(b.accountKey);
        return (c < 0 ? -1 : c > 0 ? 1 : 0) * d;
    }
    case UsersColumnSessions: return Order(a.totalConnects, b.totalConnects, d);
    case UsersColumnDenials: return Order(a.totalDenieds, b.totalDenieds, d);
    case UsersColumnLastSession: return Order(a.lastConnection, b.lastConnection, d);
    case UsersColumnLasted:
        return Order(static_cast<std::uint32_t>(a.lasted), static_cast<std::uint32_t>(b.lasted), d);
    case UsersColumnTotal:
        return Order(static_cast<std::uint32_t>(a.totalTime), static_cast<std::uint32_t>(b.totalTime), d);
    default: return -1;
    }
}

void SortUserRows(std::vector<int>& rows, const std::vector<UserRecord>& records, int column, int d)
{
    if (column < 0 || column >= UsersColumnCount)
        return;
    std::stable_sort(rows.begin(), rows.end(), [&](int a, int b) {
        return CompareUserRecords(records[static_cast<std::size_t>(a)], records[static_cast<std::size_t>(b)],
                                  column, d) < 0;
    });
}

int UserRowIcon(int limitState)
{
    return limitState != 0 ? 13 : 2;
}

namespace {

void AppendRow(std::string& text, const UserRecord& record, std::string_view lineEnd)
{
    const auto cells = UserRowTexts(record);
    AppendCsvLine(text, CsvFields(cells.begin(), cells.end()), lineEnd);
}

} // namespace

void WriteUsersCsv(const std::vector<UserRecord>& records, const std::vector<int>& rows,
                   const std::function<void(std::string_view piece)>& write)
{
    constexpr std::size_t kPiece = 64 * 1024;
    std::string text = std::string(kUsersCsvHeader) + "\n";
    for (int row : rows) {
        AppendRow(text, records[static_cast<std::size_t>(row)], "\n");
        if (text.size() >= kPiece) {
            write(text);
            text.clear();
        }
    }
    write(text);
}

std::string UsersCsv(const std::vector<UserRecord>& records, const std::vector<int>& rows)
{
    std::string text;
    WriteUsersCsv(records, rows, [&text](std::string_view piece) { text += piece; });
    return text;
}

std::string UsersClipboardText(const std::vector<UserRecord>& records, const std::vector<int>& rows)
{
    std::string text;
    for (int row : rows)
        AppendRow(text, records[static_cast<std::size_t>(row)], "\r\n");
    return text;
}

} // namespace dm
