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
#include <unordered_map>
#include <vector>

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
        if (m_lastPort == UINT32_MAX || m_portScratch != m_lastPortName) {
            m_lastPort = m_ports.Intern(m_portScratch);
            m_lastPortName = m_portScratch;
        }
        event.port = m_lastPort;
    }
    m_events.push_back(event);
}

void ReportEvents::EndRun()
{
    if (m_runEnds.empty() ? !m_events.empty() : m_runEnds.back() != m_events.size())
        m_runEnds.push_back(m_events.size());
}

void ReportEvents::Sort()
{
    const auto byTime = [](const Event& a, const Event& b) { return a.time < b.time; };
    EndRun();
    // Each run (a file) sorted alone costs far less than the whole table.
    struct Run {
        std::size_t begin, end;
        std::uint32_t first, last;
    };
    std::vector<Run> runs;
    std::size_t begin = 0;
    for (const std::size_t end : m_runEnds) {
        std::stable_sort(m_events.begin() + static_cast<std::ptrdiff_t>(begin),
                         m_events.begin() + static_cast<std::ptrdiff_t>(end), byTime);
        runs.push_back({begin, end, m_events[begin].time, m_events[end - 1].time});
        begin = end;
    }
    m_runEnds.clear();
    // Runs that follow each other in time (day files) are put in order
    // whole; equal times across runs keep the order of loading.
    std::stable_sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.first < b.first; });
    bool apart = true;
    bool inOrder = true;
    for (std::size_t i = 1; i < runs.size() && apart; ++i) {
        apart = runs[i - 1].last < runs[i].first ||
                (runs[i - 1].last == runs[i].first && runs[i - 1].begin < runs[i].begin);
        inOrder = inOrder && runs[i - 1].begin < runs[i].begin;
    }
    if (!apart) {
        std::stable_sort(m_events.begin(), m_events.end(), byTime);
        return;
    }
    if (inOrder)
        return;
    std::vector<Event> sorted;
    sorted.reserve(m_events.size());
    for (const Run& run : runs)
        sorted.insert(sorted.end(), m_events.begin() + static_cast<std::ptrdiff_t>(run.begin),
                      m_events.begin() + static_cast<std::ptrdiff_t>(run.end));
    m_events = std::move(sorted);
}

namespace {

// The events of the day files by identity, for the legacy log's events to
// be counted once: an event is its server\port section (as profile names
// compare, without regard to case) and its time, held as one number (the
// section's index and the time). Only used when a legacy log exists.
class SeenEvents {
public:
    void Add(const LogRecord& record) { m_keys.push_back(Key(record)); }

    // Sorts the keys once the day files are read.
    void Seal() { std::sort(m_keys.begin(), m_keys.end()); }

    bool Contains(const LogRecord& record)
    {
        return std::binary_search(m_keys.begin(), m_keys.end(), Key(record));
    }

private:
    std::uint64_t Key(const LogRecord& record)
    {
        // A section spelled as before costs one lookup and no allocation.
        m_scratch.assign(record.server).append("\\").append(record.port);
        auto it = m_spellings.find(m_scratch);
        if (it == m_spellings.end()) {
            const auto section =
                m_sections.emplace(LowerAscii(m_scratch), static_cast<std::uint32_t>(m_sections.size())).first;
            it = m_spellings.emplace(m_scratch, section->second).first;
        }
        return static_cast<std::uint64_t>(it->second) << 32 | record.time;
    }

    std::vector<std::uint64_t> m_keys;
    std::unordered_map<std::string, std::uint32_t> m_spellings; // exact spelling: section index
    std::unordered_map<std::string, std::uint32_t> m_sections;  // lower-case section: its index
    std::string m_scratch;
};

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
                if (skipSeen && seen->Contains(record))
                    return;
                if (!skipSeen)
                    seen->Add(record);
            }
            events.Append(record);
        },
        progress);
    events.EndRun();
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
        !EqualNoCase(std::string_view(name).substr(name.size() - 4), ".log"))
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
        if (name.size() > 4 && EqualNoCase(std::string_view(name).substr(name.size() - 4), ".log") &&
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
    // Without a legacy log nothing can be counted twice: no identities kept.
    std::filesystem::path legacy;
    if (source.includeLegacyLog) {
        legacy = ResolvePathOrEmpty(LegacyLogPath(source.databaseDirectory));
        std::error_code ec;
        if (!legacy.empty() && !std::filesystem::is_regular_file(legacy, ec))
            legacy.clear();
    }
    SeenEvents seenStore;
    SeenEvents* seen = legacy.empty() ? nullptr : &seenStore;
    if (source.allDayFiles)
        ReadAllDayFiles(source.databaseDirectory, events, progress, seen);
    else if (period.to < period.from || (period.to - period.from) / 86400 > MaxRangeDays)
        ReadDayFilesOfPeriod(source.databaseDirectory, period.from, period.to, events, progress, seen);
    else
        ReadDayRange(source.databaseDirectory, period.from, period.to, events, progress, seen);
    // A migration whose rename failed leaves its events in both places.
    if (seen != nullptr) {
        seen->Seal();
        ReadFile(legacy, LogFileRules::Legacy, events, {}, seen, true);
    }
    events.Sort();
    return events;
}

} // namespace dm
