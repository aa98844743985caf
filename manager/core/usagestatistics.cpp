#include "manager/core/usagestatistics.h"

#include "common/ansitext.h"
#include "common/text.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace dm {

namespace {

// FNV-1a over the case-folded server, a separator and the port.
std::uint64_t HashPort(std::string_view server, std::string_view port)
{
    std::uint64_t hash = 14695981039346656037ull;
    auto add = [&hash](unsigned char c) { hash = (hash ^ c) * 1099511628211ull; };
    for (char c : server)
        add(static_cast<unsigned char>(LowerAscii(c)));
    add('\\');
    for (char c : port)
        add(static_cast<unsigned char>(LowerAscii(c)));
    return hash;
}

// Entries by server and port, without regard to case. Entries that share a
// label are chained, so that each of them receives the port's sessions.
class PortIndex {
public:
    explicit PortIndex(const std::vector<UsageEntry>& entries) : m_next(entries.size(), -1)
    {
        std::size_t size = 16;
        while (size < entries.size() * 2)
            size *= 2;
        m_table.assign(size, -1);
        m_mask = size - 1;
        m_names.reserve(entries.size());
        for (const UsageEntry& entry : entries) {
            const std::string_view label = entry.label;
            const std::size_t cut = label.find('\\');
            if (cut == std::string_view::npos)
                m_names.emplace_back(std::string_view(), label);
            else
                m_names.emplace_back(label.substr(0, cut), label.substr(cut + 1));
        }
        for (int i = static_cast<int>(entries.size()) - 1; i >= 0; --i) {
            const auto& [server, port] = m_names[static_cast<std::size_t>(i)];
            std::size_t at = HashPort(server, port) & m_mask;
            for (;; at = (at + 1) & m_mask) {
                const int other = m_table[at];
                if (other < 0) {
                    m_table[at] = i;
                    break;
                }
                const auto& names = m_names[static_cast<std::size_t>(other)];
                if (EqualNoCase(names.first, server) && EqualNoCase(names.second, port)) {
                    m_next[static_cast<std::size_t>(i)] = other;
                    m_table[at] = i;
                    break;
                }
            }
        }
    }

    // The first entry of the port, or -1; Next gives the others.
    int Find(std::string_view server, std::string_view port) const
    {
        for (std::size_t at = HashPort(server, port) & m_mask;; at = (at + 1) & m_mask) {
            const int entry = m_table[at];
            if (entry < 0)
                return -1;
            const auto& names = m_names[static_cast<std::size_t>(entry)];
            if (EqualNoCase(names.first, server) && EqualNoCase(names.second, port))
                return entry;
        }
    }
    int Next(int entry) const { return m_next[static_cast<std::size_t>(entry)]; }

private:
    std::vector<std::pair<std::string_view, std::string_view>> m_names;
    std::vector<int> m_table;
    std::vector<int> m_next;
    std::size_t m_mask = 0;
};

void SetSlots(UsageEntry& entry, int first, int last)
{
    if (first >= last)
        return;
    const int firstWord = first / 32;
    const int lastWord = (last - 1) / 32;
    const std::uint32_t head = ~0u << (first % 32);
    const std::uint32_t tail = ~0u >> (31 - (last - 1) % 32);
    if (firstWord == lastWord) {
        entry.bits[static_cast<std::size_t>(firstWord)] |= head & tail;
        return;
    }
    entry.bits[static_cast<std::size_t>(firstWord)] |= head;
    for (int word = firstWord + 1; word < lastWord; ++word)
        entry.bits[static_cast<std::size_t>(word)] = ~0u;
    entry.bits[static_cast<std::size_t>(lastWord)] |= tail;
}

} // namespace

bool UsageEntry::AnyBusy(int first, int last) const
{
    for (int slot = std::max(first, 0); slot < last && slot < kUsageSlots; ++slot)
        if (SlotBusy(slot))
            return true;
    return false;
}

void MarkSession(UsageEntry& entry, TimeSpan window, std::uint32_t from, std::uint32_t to)
{
    const std::uint64_t span = window.Length();
    if (span == 0 || to < from || from < window.start || to > window.end)
        return;
    const std::uint64_t begin = from - window.start;
    const std::uint64_t end = to - window.start;
    const int first = static_cast<int>(std::min<std::uint64_t>(begin * kUsageSlots / span, kUsageSlots - 1));
    int last = static_cast<int>(std::min<std::uint64_t>((end * kUsageSlots + span - 1) / span, kUsageSlots));
    // A session of no length still marks the slot it fell into.
    if (last <= first)
        last = first + 1;
    SetSlots(entry, first, last);
}

void BarColumnSlots(int column, int innerColumns, int& first, int& last)
{
    if (innerColumns <= 0) {
        first = last = 0;
        return;
    }
    const std::int64_t inner = innerColumns;
    first = static_cast<int>(std::min<std::int64_t>(column * std::int64_t{kUsageSlots} / inner, kUsageSlots - 1));
    last = static_cast<int>(std::min<std::int64_t>((column + 1) * std::int64_t{kUsageSlots} / inner, kUsageSlots));
    if (last <= first)
        last = first + 1;
}

void UsageStatistics::SetEntries(const std::vector<std::string>& labels)
{
    m_entries.clear();
    m_entries.resize(labels.size());
    for (std::size_t i = 0; i < labels.size(); ++i)
        m_entries[i].label = labels[i];
    m_computed = false;
}

void UsageStatistics::Compute(const std::vector<LogRecord>& records, TimeSpan window, const Progress& progress,
                              std::uint32_t inProgressUntil)
{
    m_window = window;
    for (UsageEntry& entry : m_entries) {
        entry.bits.fill(0);
        entry.busySeconds = 0;
    }
    // One pass over the records gathers each entry's clipped sessions.
    struct Session {
        std::uint32_t from;
        std::uint32_t to;
    };
    std::vector<std::vector<Session>> sessions(m_entries.size());
    if (!m_entries.empty()) {
        const PortIndex index(m_entries);
        const std::int64_t windowStart = window.start;
        const std::int64_t windowEnd = window.end;
        auto add = [&](int entry, std::int64_t start, std::int64_t end) {
            if (end <= windowStart || start >= windowEnd)
                return;
            const Session session{static_cast<std::uint32_t>(std::max(start, windowStart)),
                                  static_cast<std::uint32_t>(std::min(end, windowEnd))};
            for (; entry >= 0; entry = index.Next(entry))
                sessions[static_cast<std::size_t>(entry)].push_back(session);
        };
        // The time of each port's connect that no session end has followed
        // yet (records are in time order); -1 when none.
        std::vector<std::int64_t> openSince(m_entries.size(), -1);
        for (const LogRecord& record : records) {
            if (record.kind != kLogSessionEnd && record.kind != kLogConnect)
                continue;
            const int entry = index.Find(record.server, record.port);
            if (entry < 0)
                continue;
            if (record.kind == kLogConnect) {
                openSince[static_cast<std::size_t>(entry)] = record.time;
                continue;
            }
            openSince[static_cast<std::size_t>(entry)] = -1;
            const std::int64_t end = record.time;
            add(entry, end - std::max<std::int32_t>(record.duration, 0), end);
        }
        // A session still in progress is busy from its connect up to now.
        if (inProgressUntil != 0) {
            for (std::size_t i = 0; i < openSince.size(); ++i)
                if (openSince[i] >= 0 && openSince[i] < inProgressUntil)
                    add(static_cast<int>(i), openSince[i], inProgressUntil);
        }
    }
    // Then each entry is finished in row order.
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        UsageEntry& entry = m_entries[i];
        for (const Session& session : sessions[i]) {
            MarkSession(entry, window, session.from, session.to);
            entry.busySeconds += session.to - session.from;
        }
        std::vector<Session>().swap(sessions[i]);
        if (progress)
            progress(i + 1, entry.label);
    }
    m_computed = true;
}

int UsageStatistics::BusyPercent(std::size_t entry) const
{
    const std::uint64_t span = m_window.Length();
    if (span == 0 || entry >= m_entries.size())
        return 0;
    const std::uint64_t busy = std::min(m_entries[entry].busySeconds, span);
    return static_cast<int>(busy * 100 / span);
}

void UsageStatistics::Bar(std::size_t entry, int cellWidth, std::vector<BarColumn>& columns) const
{
    const int width = cellWidth - 1;
    columns.assign(static_cast<std::size_t>(std::max(width, 0)), BarColumn::End);
    if (width <= 2 || entry >= m_entries.size())
        return;
    const UsageEntry& data = m_entries[entry];
    const int inner = width - 2;
    for (int x = 1; x <= inner; ++x) {
        int first = 0, last = 0;
        BarColumnSlots(x - 1, inner, first, last);
        BarColumn& column = columns[static_cast<std::size_t>(x)];
        if (data.AnyBusy(first, last))
            column = BarColumn::Busy;
        else
            column = x % 3 != 0 ? BarColumn::Idle : BarColumn::Gap;
    }
}

std::string UsageStatistics::CsvText(const std::vector<std::size_t>& rows) const
{
    std::string text = "Item,Free(%),Busy(%)\n";
    for (std::size_t row : rows) {
        if (row >= m_entries.size())
            continue;
        text += AnsiToUtf8(m_entries[row].label);
        text += ',' + std::to_string(FreePercent(row)) + ',' + std::to_string(BusyPercent(row)) + '\n';
    }
    return text;
}

std::string UsageStatistics::CsvText() const
{
    std::vector<std::size_t> rows(m_entries.size());
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = i;
    return CsvText(rows);
}

} // namespace dm
