#include "reports/reportevents.h"

#include "common/iniparser.h"
#include "common/inistore.h"
#include "common/logfilereader.h"
#include "common/timeformat.h"
#include "platform/pathresolver.h"

#include <algorithm>
#include <filesystem>

namespace dm {

std::uint32_t ReportEvents::Names::Intern(std::string_view name)
{
    const auto it = m_index.find(name);
    if (it != m_index.end())
        return it->second;
    const auto index = static_cast<std::uint32_t>(m_names.size());
    m_names.emplace_back(name);
    m_index.emplace(m_names.back(), index);
    return index;
}

void ReportEvents::Append(const LogRecord& record)
{
    Event event{record.time, record.duration, record.kind, 0, 0};
    // Connections are never reported: their names are not kept.
    if (record.kind != kLogConnect) {
        event.user = m_users.Intern(record.user);
        m_portScratch.assign(record.server).append("\\").append(record.port);
        event.port = m_ports.Intern(m_portScratch);
    }
    m_events.push_back(event);
}

void ReportEvents::Sort()
{
    std::stable_sort(m_events.begin(), m_events.end(),
                     [](const Event& a, const Event& b) { return a.time < b.time; });
}

namespace {

void ReadFile(const std::filesystem::path& path, LogFileRules rules, ReportEvents& events,
              const ProgressSink& progress)
{
    std::string text;
    if (path.empty() || !ReadWholeFile(path, text))
        return;
    // The activity log's own reader, straight into the compact table.
    VisitLogText(
        text, rules, [&events](const LogRecord& record) { events.Append(record); }, progress);
}

void ReadSystemFile(const std::string& systemPath, LogFileRules rules, ReportEvents& events,
                    const ProgressSink& progress)
{
    ReadFile(ResolvePathOrEmpty(systemPath), rules, events, progress);
}

// Every "*.log" (any case) of LogData, in name order.
void ReadAllDayFiles(const std::string& database, ReportEvents& events, const ProgressSink& progress)
{
    const std::filesystem::path dir = ResolvePathOrEmpty(database + "\\LogData");
    if (dir.empty())
        return;
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > 4 && NamesEqual(std::string_view(name).substr(name.size() - 4), ".log") &&
            it->is_regular_file(ec))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files)
        ReadFile(file, LogFileRules::Day, events, progress);
}

// The day files of every local day from the day of `from` to the day of `to`.
void ReadDayRange(const std::string& database, std::uint32_t from, std::uint32_t to,
                  ReportEvents& events, const ProgressSink& progress)
{
    std::uint32_t previous = 0;
    for (int i = 0;; ++i) {
        const std::uint32_t day = AddLocalDays(from, i);
        if (i > 0 && (StartOfLocalDay(day) > to || day <= previous))
            break;
        ReadSystemFile(DayLogPath(database, day), LogFileRules::Day, events, progress);
        previous = day;
    }
}

// Beyond this many days a range is read as "every day file": the same events
// reach the period filter, without probing a file name per day of an
// open-ended custom period.
constexpr std::uint32_t MaxRangeDays = 400;

} // namespace

ReportEvents LoadReportEvents(const ReportEventSource& source, const ReportPeriod& period,
                              const ProgressSink& progress)
{
    ReportEvents events;
    const bool everyDay = source.allDayFiles || period.to < period.from ||
                          (period.to - period.from) / 86400 > MaxRangeDays;
    if (everyDay)
        ReadAllDayFiles(source.databaseDirectory, events, progress);
    else
        ReadDayRange(source.databaseDirectory, period.from, period.to, events, progress);
    if (source.includeLegacyLog)
        ReadSystemFile(LegacyLogPath(source.databaseDirectory), LogFileRules::Legacy, events, {});
    events.Sort();
    return events;
}

} // namespace dm
