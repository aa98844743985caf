#include "reports/reportextraction.h"

#include "platform/profile.h"
#include "reports/reportformat.h"

#include <cstdint>
#include <unordered_map>
#include <unordered_set>

namespace dm {

namespace {

// Totals of one key, kept in the order in which keys first appeared.
class UsageTally {
public:
    void Add(std::string_view key, std::int64_t duration)
    {
        if (!ReportIntermediate::IsWritableKey(key))
            return; // a profile write would refuse it: the report lacks it
        auto [it, inserted] = m_index.emplace(FoldProfileName(key), m_rows.size());
        if (inserted)
            m_rows.push_back({std::string(TrimBlanks(key)), 0, 0});
        Row& row = m_rows[it->second];
        row.total += duration;
        ++row.sessions;
    }

    void WriteTo(ReportIntermediate& file, std::string_view totals, std::string_view counts) const
    {
        for (const Row& row : m_rows) {
            file.Set(totals, row.key, std::to_string(row.total));
            file.Set(counts, row.key, std::to_string(row.sessions));
        }
    }

private:
    struct Row {
        std::string key;
        std::int64_t total;
        std::int64_t sessions;
    };
    std::vector<Row> m_rows;
    std::unordered_map<std::string, std::size_t> m_index;
};

// Runs `visit` on every record, telling the caller's progress sink and
// polling its cancel flag before each one.
template <typename Visit>
bool WalkRecords(std::span<const LogRecord> records, const ExtractionControl& control, Visit visit)
{
    const std::size_t count = records.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (control.progress)
            control.progress("Checking record " + std::to_string(i) + " of " + std::to_string(count));
        if (control.Cancelled())
            return false;
        visit(records[i]);
    }
    return true;
}

std::string PortKey(const LogRecord& record)
{
    std::string key(record.server);
    key += '\\';
    key += record.port;
    return key;
}

} // namespace

bool ParseCalendarTime(std::string_view text, std::uint32_t& time)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    std::uint64_t value = 0;
    const std::size_t first = i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (value > UINT32_MAX)
            return false;
    }
    if (i == first)
        return false;
    time = static_cast<std::uint32_t>(value);
    return true;
}

void WriteFormatSection(ReportIntermediate& file, int reportType, int periodType,
                        const ReportPeriod& period)
{
    file.Set("Format", "ReportType", std::to_string(reportType));
    file.Set("Format", "TimePeriodType", std::to_string(periodType));
    if (periodType == PeriodAllRecords) {
        file.Set("Format", "From", "First available record");
        file.Set("Format", "To", "Last available record");
    } else {
        file.Set("Format", "From", FormatReportTime(period.from));
        file.Set("Format", "To", FormatReportTime(period.to));
    }
}

bool ExtractUsagePerUser(std::span<const LogRecord> records, const ReportPeriod& period,
                         ReportIntermediate& file, const ExtractionControl& control)
{
    UsageTally tally;
    const bool done = WalkRecords(records, control, [&](const LogRecord& record) {
        if (record.kind == kLogSessionEnd && period.Contains(record.time))
            tally.Add(record.user, record.duration);
    });
    if (done)
        tally.WriteTo(file, "Users", "Users2");
    return done;
}

bool ExtractUsagePerPort(std::span<const LogRecord> records, const ReportPeriod& period,
                         ReportIntermediate& file, const ExtractionControl& control)
{
    UsageTally tally;
    const bool done = WalkRecords(records, control, [&](const LogRecord& record) {
        if (record.kind == kLogSessionEnd && period.Contains(record.time))
            tally.Add(PortKey(record), record.duration);
    });
    if (done)
        tally.WriteTo(file, "Ports", "Ports2");
    return done;
}

bool ExtractDeniedConnections(std::span<const LogRecord> records, const ReportPeriod& period,
                              ReportIntermediate& file, const ExtractionControl& control)
{
    std::size_t n = 0;
    return WalkRecords(records, control, [&](const LogRecord& record) {
        if (record.kind != kLogDenied || !period.Contains(record.time))
            return;
        std::string value = std::to_string(record.time);
        value += '?';
        value += PortKey(record);
        value += '?';
        value += record.user;
        file.Set("Denied Connections", "REC" + std::to_string(n), value);
        ++n;
    });
}

void ExtractBusyPorts(const std::string& portStatFile, const ReportPeriod& period,
                      ReportIntermediate& file)
{
    std::unordered_set<std::string> seenSections;
    for (const std::string& section : GetPrivateProfileSectionNames(portStatFile)) {
        // A section listed twice is read as its first occurrence: visit it once.
        if (!seenSections.insert(FoldProfileName(section)).second)
            continue;
        std::unordered_set<std::string> seenKeys;
        for (const auto& [key, value] : GetPrivateProfileSection(section, portStatFile)) {
            if (!seenKeys.insert(FoldProfileName(key)).second)
                continue;
            std::uint32_t time = 0;
            if (!ParseCalendarTime(key, time) || !period.Contains(time))
                continue;
            if (value.empty() || value == "*")
                continue;
            file.Set(section, key, value);
        }
    }
}

} // namespace dm
