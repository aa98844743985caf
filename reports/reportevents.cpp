#include "reports/reportevents.h"

#include "common/iniparser.h"
#include "common/inistore.h"
#include "common/logfilereader.h"
#include "common/text.h"
#include "common/timeformat.h"
#include "platform/files/pathresolver.h"

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <optional>
#include <unordered_set>

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

// An event's identity: its server\port section (as profile names compare)
// and its time key. The same event read from a day file and from the legacy
// log counts once.
std::string EventKey(const LogRecord& record)
{
    std::string key = LowerAscii(record.server);
    key += '\\';
    key += LowerAscii(record.port);
    key += '\0';
    key += std::to_string(record.time);
    return key;
}

// The events of the day files, by identity; empty unless the legacy log is read too.
using SeenEvents = std::unordered_set<std::string>;

void ReadFile(const std::filesystem::path& path, LogFileRules rules, ReportEvents& events,
              const ProgressSink& progress, SeenEvents* seen = nullptr, bool skipSeen = false)
{
    std::string text;
    if (path.empty() || !ReadWholeFile(path, text))
        return;
    // The activity log's own reader, straight into the compact table.
    VisitLogText(
        text, rules,
        [&](const LogRecord& record) {
            if (seen != nullptr) {
                if (skipSeen && seen->count(EventKey(record)) != 0)
                    return;
                if (!skipSeen)
                    seen->insert(EventKey(record));
            }
            events.Append(record);
        },
        progress);
}

void ReadSystemFile(const std::string& systemPath, LogFileRules rules, ReportEvents& events,
                    const ProgressSink& progress, SeenEvents* seen = nullptr)
{
    ReadFile(ResolvePathOrEmpty(systemPath), rules, events, progress, seen);
}

std::string FileNameOf(std::string_view systemPath)
{
    const auto slash = systemPath.find_last_of('\\');
    return std::string(slash == std::string_view::npos ? systemPath : systemPath.substr(slash + 1));
}

// The local day (its first second) that a day file's name ("2026-Mar-18.log",
// any case) stands for, or nothing when the name is not a day file's name.
std::optional<std::uint32_t> DayOfFileName(const std::string& name)
{
    if (name.size() < 12 || name[4] != '-' || name[name.size() - 7] != '-' ||
        !EndsWithNoCase(name, ".log"))
        return std::nullopt;
    const auto digits = [](std::string_view text) {
        return !text.empty() && std::all_of(text.begin(), text.end(),
                                            [](char c) { return c >= '0' && c <= '9'; });
    };
    const std::string_view year = std::string_view(name).substr(0, 4);
    const std::string_view day = std::string_view(name).substr(name.size() - 6, 2);
    if (!digits(year) || !digits(day))
        return std::nullopt;
    for (int month = 0; month < 12; ++month) {
        std::tm tm{};
        tm.tm_year = std::stoi(std::string(year)) - 1900;
        tm.tm_mon = month;
        tm.tm_mday = std::stoi(std::string(day));
        tm.tm_hour = 12;
        tm.tm_isdst = -1;
        const std::time_t time = std::mktime(&tm);
        if (time < 0 || time > static_cast<std::time_t>(UINT32_MAX) || tm.tm_mon != month)
            continue;
        const auto noon = static_cast<std::uint32_t>(time);
        if (EqualNoCase(FileNameOf(DayLogPath("", noon)), name))
            return StartOfLocalDay(noon);
    }
    return std::nullopt;
}

// The day files of LogData whose days lie in the period, in day order: a
// long period lists the directory once instead of probing a name per day,
// and a stray copy ("2026-Mar-18 (copy).log") is not a day file.
void ReadDayFilesOfPeriod(const std::string& database, std::uint32_t from, std::uint32_t to,
                          ReportEvents& events, const ProgressSink& progress, SeenEvents* seen)
{
    const std::filesystem::path dir = ResolvePathOrEmpty(database + "\\LogData");
    if (dir.empty() || to < from)
        return;
    const std::uint32_t firstDay = StartOfLocalDay(from);
    std::vector<std::pair<std::uint32_t, std::filesystem::path>> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const auto day = DayOfFileName(it->path().filename().string());
        if (day && *day >= firstDay && *day <= to && it->is_regular_file(ec))
            files.emplace_back(*day, it->path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& [day, file] : files)
        ReadFile(file, LogFileRules::Day, events, progress, seen);
}

// Every "*.log" (any case) of LogData, in name order.
void ReadAllDayFiles(const std::string& database, ReportEvents& events, const ProgressSink& progress,
                     SeenEvents* seen)
{
    const std::filesystem::path dir = ResolvePathOrEmpty(database + "\\LogData");
    if (dir.empty())
        return;
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > 4 && EndsWithNoCase(name, ".log") &&
            it->is_regular_file(ec))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files)
        ReadFile(file, LogFileRules::Day, events, progress, seen);
}

// The day files of every local day from the day of `from` to the day of `to`.
void ReadDayRange(const std::string& database, std::uint32_t from, std::uint32_t to,
                  ReportEvents& events, const ProgressSink& progress, SeenEvents* seen)
{
    std::uint32_t previous = 0;
    for (int i = 0;; ++i) {
        const std::uint32_t day = AddLocalDays(from, i);
        if (i > 0 && (StartOfLocalDay(day) > to || day <= previous))
            break;
        ReadSystemFile(DayLogPath(database, day), LogFileRules::Day, events, progress, seen);
        previous = day;
    }
}

// Beyond this many days the day files of a range are found by listing
// LogData once instead of probing a file name per day of an open-ended
// custom period.
constexpr std::uint32_t MaxRangeDays = 400;

} // namespace

ReportEvents LoadReportEvents(const ReportEventSource& source, const ReportPeriod& period,
                              const ProgressSink& progress)
{
    ReportEvents events;
    SeenEvents seenStore;
    SeenEvents* seen = source.includeLegacyLog ? &seenStore : nullptr;
    if (source.allDayFiles)
        ReadAllDayFiles(source.databaseDirectory, events, progress, seen);
    else if (period.to < period.from || (period.to - period.from) / 86400 > MaxRangeDays)
        ReadDayFilesOfPeriod(source.databaseDirectory, period.from, period.to, events, progress, seen);
    else
        ReadDayRange(source.databaseDirectory, period.from, period.to, events, progress, seen);
    // A migration whose rename failed leaves its events in both places.
    if (source.includeLegacyLog)
        ReadFile(ResolvePathOrEmpty(LegacyLogPath(source.databaseDirectory)), LogFileRules::Legacy,
                 events, {}, seen, true);
    events.Sort();
    return events;
}

} // namespace dm
