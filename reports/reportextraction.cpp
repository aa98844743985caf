#include "reports/reportextraction.h"

#include "common/iniparser.h"
#include "common/numbers.h"
#include "common/text.h"
#include "platform/files/profile.h"
#include "reports/reportformat.h"

#include <cstdint>
#include <unordered_map>
#include <unordered_set>

namespace dm {

namespace {

// Totals per key, kept in the order in which keys first appeared. Keys
// match as profile keys do; each interned spelling is folded once.
class UsageTally {
public:
    void Add(std::uint32_t name, std::string_view key, std::int64_t duration)
    {
        if (name >= m_rowOfName.size())
            m_rowOfName.resize(name + 1, Unknown);
        std::size_t& row = m_rowOfName[name];
        if (row == Unknown) {
            if (!ReportIntermediate::IsWritableKey(key)) {
                row = Refused; // a profile write would refuse it: the report lacks it
            } else {
                auto [it, inserted] = m_index.emplace(FoldProfileName(key), m_rows.size());
                if (inserted)
                    m_rows.push_back({std::string(TrimBlanks(key)), 0, 0});
                row = it->second;
            }
        }
        if (row == Refused)
            return;
        m_rows[row].total += duration;
        ++m_rows[row].sessions;
    }

    void WriteTo(ReportIntermediate& file, std::string_view totals, std::string_view counts) const
    {
        for (const Row& row : m_rows) {
            file.Set(totals, row.key, std::to_string(row.total));
            file.Set(counts, row.key, std::to_string(row.sessions));
        }
    }

private:
    static constexpr std::size_t Unknown = static_cast<std::size_t>(-1);
    static constexpr std::size_t Refused = static_cast<std::size_t>(-2);
    struct Row {
        std::string key;
        std::int64_t total;
        std::int64_t sessions;
    };
    std::vector<Row> m_rows;
    std::unordered_map<std::string, std::size_t> m_index; // folded key -> row
    std::vector<std::size_t> m_rowOfName;                 // interned name -> row
};

// Runs `visit` on every event, telling the caller's progress sink and
// polling its cancel flag before each one.
template <typename Visit>
bool WalkEvents(const ReportEvents& events, const ExtractionControl& control, Visit visit)
{
    const std::span<const ReportEvents::Event> all = events.Events();
    const std::size_t count = all.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (control.progress)
            control.progress("Checking record " + std::to_string(i) + " of " + std::to_string(count));
        if (control.Cancelled())
            return false;
        visit(all[i]);
    }
    return true;
}

} // namespace

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

bool ExtractUsagePerUser(const ReportEvents& events, const ReportPeriod& period,
                         ReportIntermediate& file, const ExtractionControl& control)
{
    UsageTally tally;
    const bool done = WalkEvents(events, control, [&](const ReportEvents::Event& event) {
        if (event.kind == kLogSessionEnd && period.Contains(event.time))
            tally.Add(event.user, events.UserName(event.user), event.duration);
    });
    if (done)
        tally.WriteTo(file, "Users", "Users2");
    return done;
}

bool ExtractUsagePerPort(const ReportEvents& events, const ReportPeriod& period,
                         ReportIntermediate& file, const ExtractionControl& control)
{
    UsageTally tally;
    const bool done = WalkEvents(events, control, [&](const ReportEvents::Event& event) {
        if (event.kind == kLogSessionEnd && period.Contains(event.time))
            tally.Add(event.port, events.PortName(event.port), event.duration);
    });
    if (done)
        tally.WriteTo(file, "Ports", "Ports2");
    return done;
}

bool ExtractDeniedConnections(const ReportEvents& events, const ReportPeriod& period,
                              ReportIntermediate& file, const ExtractionControl& control)
{
    std::size_t n = 0;
    return WalkEvents(events, control, [&](const ReportEvents::Event& event) {
        if (event.kind != kLogDenied || !period.Contains(event.time))
            return;
        std::string value = std::to_string(event.time);
        value += '?';
        value += events.PortName(event.port);
        value += '?';
        value += events.UserName(event.user);
        file.Set("Denied Connections", "REC" + std::to_string(n), value);
        ++n;
    });
}

bool ExtractBusyPorts(const std::string& portStatFile, const ReportPeriod& period,
                      ReportIntermediate& file, const ExtractionControl& control)
{
    std::unordered_set<std::string> seenSections;
    for (const std::string& section : GetPrivateProfileSectionNames(portStatFile)) {
        if (control.Cancelled())
            return false;
        // A section listed twice is read as its first occurrence: visit it once.
        if (!seenSections.insert(FoldProfileName(section)).second)
            continue;
        std::unordered_set<std::string> seenKeys;
        for (const auto& [key, value] : GetPrivateProfileSection(section, portStatFile)) {
            if (!seenKeys.insert(FoldProfileName(key)).second)
                continue;
            // Keys read as the log's time keys are read.
            if (!period.Contains(AtoiWrapped32(key)))
                continue;
            if (value.empty() || value == "*")
                continue;
            file.Set(section, key, value);
        }
    }
    return true;
}

} // namespace dm
