#include "reports/reportevents.h"

#include "common/iniparser.h"
#include "common/inistore.h"
#include "common/logfilereader.h"
#include "common/text.h"
#include "common/timeformat.h"
#include "platform/files/pathresolver.h"

#include <algorithm>
#include <ctime>
#include <exception>
#include <filesystem>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace dm {

std::uint32_t ReportEvents::PortOf(std::string_view section, std::string_view server,
                                   std::string_view port)
{
    if (m_lastPort != UINT32_MAX && section == m_lastSection)
        return m_lastPort;
    m_portScratch.assign(server).append("\\").append(port);
    m_lastPort = m_ports.Intern(m_portScratch);
    m_lastSection.assign(section);
    return m_lastPort;
}

void ReportEvents::Append(const LogEvent& source)
{
    Event event{source.time, source.fields.duration, source.fields.kind, 0, 0};
    if (source.fields.kind != kLogConnect) {
        event.user = m_users.Intern(source.fields.user);
        event.port = PortOf(source.section, source.server, source.port);
    }
    m_events.push_back(event);
}

namespace {

bool EarlierEvent(const ReportEvents::Event& a, const ReportEvents::Event& b)
{
    return a.time < b.time;
}

// Sorts events by time, equal times in their order, by two stable passes
// over ten bits of the time each: true when the times of the events lie
// within 2^20 seconds of each other (a day file's do), else false and the
// events are left alone.
bool RadixSortByTime(ReportEvents::Event* events, std::size_t n, std::vector<ReportEvents::Event>& buffer)
{
    constexpr unsigned kBits = 10;
    constexpr std::size_t kBuckets = std::size_t{1} << kBits;
    std::uint32_t lowest = UINT32_MAX;
    std::uint32_t highest = 0;
    for (std::size_t i = 0; i < n; ++i) {
        lowest = std::min(lowest, events[i].time);
        highest = std::max(highest, events[i].time);
    }
    if (highest - lowest >= (std::uint32_t{1} << (2 * kBits)))
        return false;
    buffer.resize(std::max(buffer.size(), n));
    ReportEvents::Event* from = events;
    ReportEvents::Event* to = buffer.data();
    for (unsigned shift = 0; shift < 2 * kBits; shift += kBits) {
        std::size_t starts[kBuckets] = {};
        for (std::size_t i = 0; i < n; ++i)
            ++starts[((from[i].time - lowest) >> shift) & (kBuckets - 1)];
        std::size_t sum = 0;
        for (std::size_t& start : starts)
            sum += std::exchange(start, sum);
        for (std::size_t i = 0; i < n; ++i)
            to[starts[((from[i].time - lowest) >> shift) & (kBuckets - 1)]++] = from[i];
        std::swap(from, to);
    }
    // Two passes: the sorted events are back in place.
    return true;
}

// Sorts events by time, equal times in their order: by their time's digits
// when they lie close together, else by merging the stretches already in
// order (a legacy log lists each port's events by time, so it is a few
// dozen such stretches). The buffer is scratch space.
void SortStretches(ReportEvents::Event* events, std::size_t n, std::vector<ReportEvents::Event>& buffer)
{
    std::vector<std::size_t> starts{0};
    for (std::size_t i = 1; i < n; ++i) {
        if (events[i].time < events[i - 1].time)
            starts.push_back(i);
    }
    if (starts.size() == 1)
        return;
    if (n > 64 && RadixSortByTime(events, n, buffer))
        return;
    if (starts.size() > n / 16) { // hardly any order to build on
        std::stable_sort(events, events + n, EarlierEvent);
        return;
    }
    starts.push_back(n);
    buffer.resize(std::max(buffer.size(), n));
    ReportEvents::Event* from = events;
    ReportEvents::Event* to = buffer.data();
    // Neighbouring stretches merged pairwise until one is left; std::merge
    // puts the earlier stretch's event first among equal times.
    while (starts.size() > 2) {
        std::vector<std::size_t> merged;
        std::size_t k = 0;
        for (; k + 2 < starts.size(); k += 2) {
            std::merge(from + starts[k], from + starts[k + 1], from + starts[k + 1], from + starts[k + 2],
                       to + starts[k], EarlierEvent);
            merged.push_back(starts[k]);
        }
        if (k + 1 < starts.size()) {
            std::copy(from + starts[k], from + starts[k + 1], to + starts[k]);
            merged.push_back(starts[k]);
        }
        merged.push_back(n);
        std::swap(from, to);
        starts = std::move(merged);
    }
    if (from != events)
        std::copy(from, from + n, events);
}

} // namespace

void ReportEvents::EndRun()
{
    const std::size_t begin = m_runEnds.empty() ? 0 : m_runEnds.back();
    if (begin == m_events.size())
        return;
    SortStretches(m_events.data() + begin, m_events.size() - begin, m_sortBuffer);
    m_runEnds.push_back(m_events.size());
    if (m_sortBuffer.capacity() > (std::size_t{1} << 16))
        std::vector<Event>().swap(m_sortBuffer); // a legacy log's room is not kept
}

void ReportEvents::Absorb(ReportEvents&& later)
{
    EndRun();
    later.EndRun();
    std::vector<std::uint32_t> users(later.m_users.Size());
    for (std::uint32_t i = 0; i < users.size(); ++i)
        users[i] = m_users.Intern(later.m_users.Name(i));
    std::vector<std::uint32_t> ports(later.m_ports.Size());
    for (std::uint32_t i = 0; i < ports.size(); ++i)
        ports[i] = m_ports.Intern(later.m_ports.Name(i));
    const std::size_t offset = m_events.size();
    m_events.reserve(offset + later.m_events.size());
    for (Event event : later.m_events) {
        if (event.kind != kLogConnect) { // a connection names nothing
            event.user = users[event.user];
            event.port = ports[event.port];
        }
        m_events.push_back(event);
    }
    for (const std::size_t end : later.m_runEnds)
        m_runEnds.push_back(offset + end);
    m_lastPort = UINT32_MAX;
    later = ReportEvents();
}

void ReportEvents::Sort()
{
    EndRun();
    // Each run (a file) sorted alone costs far less than the whole table.
    struct Run {
        std::size_t begin, end;
        std::uint32_t first, last;
    };
    std::vector<Run> runs;
    std::vector<Event> buffer;
    std::size_t begin = 0;
    // Each run was sorted as it ended.
    for (const std::size_t end : m_runEnds) {
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
        // Each run is in order now: what is left is merging them.
        SortStretches(m_events.data(), m_events.size(), buffer);
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
    void Add(const LogEvent& event) { m_keys.push_back(Key(event)); }

    // Sorts the keys once the day files are read.
    void Seal() { std::sort(m_keys.begin(), m_keys.end()); }

    bool Contains(const LogEvent& event)
    {
        return std::binary_search(m_keys.begin(), m_keys.end(), Key(event));
    }

private:
    std::uint64_t Key(const LogEvent& event)
    {
        // The events of a section follow each other: one lookup a section.
        if (!m_hasLast || event.section != m_lastSpelling) {
            m_scratch.assign(event.server).append("\\").append(event.port);
            m_lastSection = m_sections.Intern(LowerAscii(m_scratch));
            m_lastSpelling.assign(event.section);
            m_hasLast = true;
        }
        return static_cast<std::uint64_t>(m_lastSection) << 32 | event.time;
    }

    std::vector<std::uint64_t> m_keys;
    NameTable m_sections; // lower-case "server\\port"
    std::string m_scratch;
    std::string m_lastSpelling;
    std::uint32_t m_lastSection = 0;
    bool m_hasLast = false;
};

// The text of the file being read: one buffer for the files of a load, so
// that no file's text costs fresh pages. Released when the load ends.
thread_local std::string t_fileText;

void ReadFile(const std::filesystem::path& path, LogFileRules rules, ReportEvents& events,
              const ProgressSink& progress, SeenEvents* seen = nullptr, bool skipSeen = false)
{
    std::string& text = t_fileText;
    if (path.empty() || !ReadWholeFile(path, text))
        return;
    // The activity log's own reader, straight into the compact table.
    VisitLogEvents(
        text, rules,
        [&](const LogEvent& event) {
            if (seen != nullptr) {
                if (skipSeen && seen->Contains(event))
                    return;
                if (!skipSeen)
                    seen->Add(event);
            }
            events.Append(event);
        },
        progress);
    events.EndRun();
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
std::vector<std::filesystem::path> DayFilesOfPeriod(const std::string& database, std::uint32_t from,
                                                    std::uint32_t to)
{
    const std::filesystem::path dir = ResolvePathOrEmpty(database + "\\LogData");
    if (dir.empty() || to < from)
        return {};
    const std::uint32_t firstDay = StartOfLocalDay(from);
    std::vector<std::pair<std::uint32_t, std::filesystem::path>> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const auto day = DayOfFileName(it->path().filename().string());
        if (day && *day >= firstDay && *day <= to && it->is_regular_file(ec))
            files.emplace_back(*day, it->path());
    }
    std::sort(files.begin(), files.end());
    std::vector<std::filesystem::path> paths;
    for (auto& [day, file] : files)
        paths.push_back(std::move(file));
    return paths;
}

// Every "*.log" (any case) of LogData, in name order.
std::vector<std::filesystem::path> AllDayFiles(const std::string& database)
{
    const std::filesystem::path dir = ResolvePathOrEmpty(database + "\\LogData");
    if (dir.empty())
        return {};
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > 4 && EqualNoCase(std::string_view(name).substr(name.size() - 4), ".log") &&
            it->is_regular_file(ec))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The day files of every local day from the day of `from` to the day of `to`.
std::vector<std::filesystem::path> DayRangeFiles(const std::string& database, std::uint32_t from,
                                                 std::uint32_t to)
{
    std::vector<std::filesystem::path> paths;
    std::uint32_t previous = 0;
    for (int i = 0;; ++i) {
        const std::uint32_t day = AddLocalDays(from, i);
        if (i > 0 && (StartOfLocalDay(day) > to || day <= previous))
            break;
        std::filesystem::path path = ResolvePathOrEmpty(DayLogPath(database, day));
        if (!path.empty())
            paths.push_back(std::move(path));
        previous = day;
    }
    return paths;
}

// Day files of fewer bytes than this are read on one thread.
constexpr std::uintmax_t kParallelBytes = 1 << 20;

// Reads the day files in order. Without a legacy log to compare with, the
// later files (half the bytes) are read on a second thread into a table of
// their own, which is then appended: the same events in the same order,
// and their progress texts after the earlier files', as one thread gives.
void ReadDayFiles(const std::vector<std::filesystem::path>& files, ReportEvents& events,
                  const ProgressSink& progress, SeenEvents* seen)
{
    std::vector<std::uintmax_t> sizes;
    std::uintmax_t total = 0;
    for (const std::filesystem::path& file : files) {
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(file, ec);
        sizes.push_back(ec ? 0 : size);
        total += sizes.back();
    }
    std::size_t split = files.size();
    if (seen == nullptr && files.size() >= 2) {
        if (total >= kParallelBytes) {
            std::uintmax_t first = 0;
            for (split = 0; split + 1 < files.size() && first + sizes[split] <= total / 2; ++split)
                first += sizes[split];
            split = std::max<std::size_t>(split, 1);
        }
    }
    // Room for the events the files hold, reckoned from their size (an
    // event's line takes more than this many bytes; room never touched
    // costs no memory), so that the table is not copied while it grows.
    constexpr std::uintmax_t kBytesPerLine = 32;
    events.Reserve(static_cast<std::size_t>(total / kBytesPerLine));
    ReportEvents later;
    std::vector<std::string> laterProgress;
    std::exception_ptr laterFailure;
    std::thread worker;
    if (split < files.size()) {
        try {
            worker = std::thread([&] {
                try {
                    const ProgressSink keep = progress ? ProgressSink([&](const std::string& text) {
                        laterProgress.push_back(text);
                    })
                                                       : ProgressSink();
                    for (std::size_t i = split; i < files.size(); ++i)
                        ReadFile(files[i], LogFileRules::Day, later, keep);
                } catch (...) {
                    laterFailure = std::current_exception();
                }
                std::string().swap(t_fileText);
            });
        } catch (const std::system_error&) {
            split = files.size(); // no second thread: all on this one
        }
    }
    for (std::size_t i = 0; i < split; ++i)
        ReadFile(files[i], LogFileRules::Day, events, progress, seen);
    if (!worker.joinable())
        return;
    worker.join();
    if (laterFailure)
        std::rethrow_exception(laterFailure);
    for (const std::string& text : laterProgress)
        progress(text);
    events.Absorb(std::move(later));
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
        ReadDayFiles(AllDayFiles(source.databaseDirectory), events, progress, seen);
    else if (period.to < period.from || (period.to - period.from) / 86400 > MaxRangeDays)
        ReadDayFiles(DayFilesOfPeriod(source.databaseDirectory, period.from, period.to), events, progress, seen);
    else
        ReadDayFiles(DayRangeFiles(source.databaseDirectory, period.from, period.to), events, progress, seen);
    // A migration whose rename failed leaves its events in both places.
    if (seen != nullptr) {
        seen->Seal();
        ReadFile(legacy, LogFileRules::Legacy, events, {}, seen, true);
    }
    std::string().swap(t_fileText);
    events.Sort();
    return events;
}

} // namespace dm
