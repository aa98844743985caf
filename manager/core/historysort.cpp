#include "manager/core/historysort.h"

#include <algorithm>
#include <limits>
#include <string>
#include <unordered_map>

namespace dm {

namespace {

int CompareText(std::string_view a, std::string_view b)
{
    const int c = a.compare(b);
    return c < 0 ? -1 : c > 0 ? 1 : 0;
}

// Port names ascending: by trailing number, numbered names first.
int ComparePortNames(std::string_view a, std::string_view b)
{
    const auto na = PortTrailingNumber(a);
    const auto nb = PortTrailingNumber(b);
    if (na && nb) {
        if (*na != *nb)
            return *na < *nb ? -1 : 1;
        return CompareText(a, b);
    }
    if (!na && !nb)
        return CompareText(a, b);
    return na ? -1 : 1;
}

// Numbers descending with d = +1.
int CompareNumbers(std::uint32_t a, std::uint32_t b, int d)
{
    if (b < a)
        return -d;
    if (a < b)
        return d;
    return 0;
}

// The unsigned value a numeric column sorts by; signed numbers are shifted
// so that their order survives.
std::uint32_t NumericKey(const LogRecord& r, HistoryColumn column)
{
    switch (column) {
    case HistoryColumn::Time: return r.time;
    case HistoryColumn::Ip: return r.ip;
    case HistoryColumn::Information: return static_cast<std::uint32_t>(r.reason);
    case HistoryColumn::Lasted: return static_cast<std::uint32_t>(r.duration);
    case HistoryColumn::Action: return static_cast<std::uint32_t>(r.kind) ^ 0x80000000u;
    default: return 0;
    }
}

const std::string& TextOf(const LogRecord& r, HistoryColumn column)
{
    switch (column) {
    case HistoryColumn::Server: return r.server;
    case HistoryColumn::Port: return r.port;
    case HistoryColumn::User: return r.user;
    case HistoryColumn::NetBios: return r.netbios;
    default: return r.ipx;
    }
}

bool IsTextColumn(HistoryColumn column)
{
    return column == HistoryColumn::Server || column == HistoryColumn::Port || column == HistoryColumn::User ||
           column == HistoryColumn::NetBios || column == HistoryColumn::Ipx;
}

// Each row's rank among the distinct texts of the column, in ascending order.
std::vector<std::uint32_t> TextRanks(const std::vector<std::uint32_t>& rows, const std::vector<LogRecord>& records,
                                     HistoryColumn column)
{
    std::unordered_map<std::string_view, std::uint32_t> ids;
    std::vector<std::string_view> distinct;
    std::vector<std::uint32_t> rank(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string_view text = TextOf(records[rows[i]], column);
        auto [it, added] = ids.try_emplace(text, static_cast<std::uint32_t>(distinct.size()));
        if (added)
            distinct.push_back(text);
        rank[i] = it->second;
    }
    std::vector<std::uint32_t> order(distinct.size());
    for (std::uint32_t i = 0; i < order.size(); ++i)
        order[i] = i;
    const bool port = column == HistoryColumn::Port;
    std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return (port ? ComparePortNames(distinct[a], distinct[b]) : CompareText(distinct[a], distinct[b])) < 0;
    });
    std::vector<std::uint32_t> rankOfId(distinct.size());
    for (std::uint32_t position = 0; position < order.size(); ++position)
        rankOfId[order[position]] = position;
    for (std::uint32_t& r : rank)
        r = rankOfId[r];
    return rank;
}

} // namespace

std::optional<std::uint64_t> PortTrailingNumber(std::string_view port)
{
    if (port.size() < 2)
        return std::nullopt;
    std::size_t begin = port.size();
    while (begin > 1 && port[begin - 1] >= '0' && port[begin - 1] <= '9')
        --begin;
    if (begin == port.size())
        return std::nullopt;
    std::uint64_t number = 0;
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    for (std::size_t i = begin; i < port.size(); ++i) {
        const unsigned digit = static_cast<unsigned>(port[i] - '0');
        number = number > (kMax - digit) / 10 ? kMax : number * 10 + digit;
    }
    return number;
}

int CompareLogRecords(const LogRecord& a, const LogRecord& b, HistoryColumn column, int d)
{
    if (column == HistoryColumn::Port)
        return ComparePortNames(a.port, b.port) * d;
    if (IsTextColumn(column))
        return CompareText(TextOf(a, column), TextOf(b, column)) * d;
    return CompareNumbers(NumericKey(a, column), NumericKey(b, column), d);
}

bool SortsAscending(HistoryColumn column, int d)
{
    return IsTextColumn(column) == (d > 0);
}

void SortHistoryRows(std::vector<std::uint32_t>& rows, const std::vector<LogRecord>& records,
                     HistoryColumn column, int d)
{
    // One 64-bit key per row: the column's order in the high half, and the
    // record index reversed in the low half, so that ties put the later
    // record first and the whole key is unique.
    std::vector<std::uint64_t> keys(rows.size());
    const bool text = IsTextColumn(column);
    const bool invert = !SortsAscending(column, d);
    std::vector<std::uint32_t> ranks;
    if (text)
        ranks = TextRanks(rows, records, column);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::uint32_t key = text ? ranks[i] : NumericKey(records[rows[i]], column);
        if (invert)
            key = ~key;
        keys[i] = (static_cast<std::uint64_t>(key) << 32) | static_cast<std::uint32_t>(~rows[i]);
    }
    ranks = {};
    // A fill leaves the rows latest first, which is the order by time most
    // lists ask for: then there is nothing to sort.
    if (!std::is_sorted(keys.begin(), keys.end()))
        std::sort(keys.begin(), keys.end());
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = ~static_cast<std::uint32_t>(keys[i]);
}

void HistorySortState::Reset()
{
    m_column = 0;
    m_clicked = false;
}

int HistorySortState::Click(int column)
{
    m_column = column;
    m_lastDirection = m_direction;
    m_direction = -m_direction;
    m_clicked = true;
    return m_lastDirection;
}

} // namespace dm
