#include "manager/core/historytable.h"

#include "common/text.h"
#include "manager/core/historysort.h"
#include "manager/core/historytexts.h"
#include "manager/core/networkaccounts.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace dm {

namespace {

bool Restricts(const std::string& filter)
{
    return filter != "*";
}

} // namespace

HistoryFilter HistoryFilter::FromSelection(const Selection& selection, UserInteraction& ui)
{
    HistoryFilter filter;
    filter.server = selection.server;
    filter.port = selection.port;
    filter.user = selection.user;
    filter.domain = selection.domain;
    // A group holds user names: its members' records count whatever their
    // domain, as the users view lists them. The selection's domain only
    // names where the group is kept.
    if (Restricts(selection.group)) {
        filter.domain = "*";
        filter.SetGroupMembers(NetworkAccounts::GroupMembers(selection.domain, selection.group, ui));
    }
    return filter;
}

void HistoryFilter::SetGroupMembers(const std::vector<std::string>& names)
{
    byGroup = true;
    members.clear();
    for (const std::string& name : names)
        members.insert(LowerAscii(name));
}

bool HistoryFilter::Matches(const LogRecord& record) const
{
    if (Restricts(server) && !EqualNoCase(server, record.server))
        return false;
    if (Restricts(port) && !EqualNoCase(port, record.port))
        return false;
    const std::string_view account = record.user;
    const std::size_t last = account.rfind('\\');
    const std::string_view name = last == std::string_view::npos ? account : account.substr(last + 1);
    if (byGroup && members.find(LowerAscii(name)) == members.end())
        return false;
    if (Restricts(user) && !EqualNoCase(user, name))
        return false;
    if (Restricts(domain)) {
        const std::size_t first = account.find('\\');
        const std::string_view recordDomain = first == std::string_view::npos ? std::string_view() : account.substr(0, first);
        if (!EqualNoCase(domain, recordDomain))
            return false;
    }
    return true;
}

void HistoryTable::SetColumns(int mask, bool lastedInSeconds)
{
    m_mask = (mask & kHistoryAllColumns) | static_cast<int>(HistoryColumn::Time);
    m_columns = HistoryColumnsOf(m_mask);
    m_seconds = lastedInSeconds;
}

void HistoryTable::Fill(const std::vector<LogRecord>& records, const HistoryFilter& filter)
{
    m_records = &records;
    m_rows.clear();
    const bool everything = !Restricts(filter.server) && !Restricts(filter.port) && !Restricts(filter.user) &&
                            !Restricts(filter.domain) && !filter.byGroup;
    if (everything) {
        m_rows.resize(records.size());
        for (std::size_t i = 0; i < records.size(); ++i)
            m_rows[i] = static_cast<std::uint32_t>(i);
    } else {
        for (std::size_t i = 0; i < records.size(); ++i) {
            if (filter.Matches(records[i]))
                m_rows.push_back(static_cast<std::uint32_t>(i));
        }
        m_rows.shrink_to_fit();
    }
    // The list shows the latest record first until it is sorted.
    std::reverse(m_rows.begin(), m_rows.end());
}

void HistoryTable::Clear()
{
    m_rows.clear();
    m_rows.shrink_to_fit();
    m_records = nullptr;
}

void HistoryTable::Sort(int column, int direction)
{
    if (!m_records)
        return;
    if (column < 0 || column >= ColumnCount())
        column = 0;
    SortHistoryRows(m_rows, *m_records, m_columns[static_cast<std::size_t>(column)], direction < 0 ? -1 : 1);
}

const LogRecord* HistoryTable::Record(int row) const
{
    if (!m_records || row < 0 || row >= RowCount())
        return nullptr;
    const std::uint32_t index = m_rows[static_cast<std::size_t>(row)];
    return index < m_records->size() ? &(*m_records)[index] : nullptr;
}

std::string HistoryTable::CellText(int row, int column) const
{
    const LogRecord* record = Record(row);
    if (!record || column < 0 || column >= ColumnCount())
        return std::string();
    return HistoryCellText(*record, m_columns[static_cast<std::size_t>(column)], m_seconds);
}

CsvFields HistoryTable::RowTexts(int row) const
{
    CsvFields texts;
    texts.reserve(m_columns.size());
    for (int column = 0; column < ColumnCount(); ++column)
        texts.push_back(CellText(row, column));
    return texts;
}

std::string HistoryTable::SavedText(const std::vector<int>& rows) const
{
    std::string text = HistoryCsvHeader(m_mask);
    text += '\n';
    // About a row's length for each row: the text is not copied as it grows.
    const std::size_t count = rows.empty() ? static_cast<std::size_t>(RowCount()) : rows.size();
    text.reserve(text.size() * (count + 1));
    // Each cell goes straight into the text: the record's own texts and the
    // constant ones are not copied, the others are formed in one buffer.
    std::string scratch;
    auto append = [&](int row) {
        const LogRecord* record = Record(row);
        for (const HistoryColumn column : m_columns) {
            const std::string_view cell =
                record ? HistoryCellView(*record, column, m_seconds, scratch) : std::string_view();
            AppendCsvField(text, CutCsvField(cell, kMaxSavedCell));
        }
        text += '\n';
    };
    if (rows.empty()) {
        for (int row = 0; row < RowCount(); ++row)
            append(row);
    } else {
        for (int row : rows)
            append(row);
    }
    return text;
}

} // namespace dm
