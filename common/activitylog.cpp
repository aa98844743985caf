#include "common/activitylog.h"

#include <algorithm>
#include <optional>

#include "common/iniparser.h"
#include "common/text.h"
#include "common/timeformat.h"

namespace dm {

namespace {

// Shows the wait cursor while it lives, when there is a screen to show it on.
class OptionalWaitCursor {
public:
    explicit OptionalWaitCursor(UserInteraction* ui)
    {
        if (ui)
            m_cursor.emplace(*ui);
    }

private:
    std::optional<WaitCursor> m_cursor;
};

// Whether anything of that name is there (a link counts, wherever it leads).
bool Exists(const std::filesystem::path& path)
{
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    return !ec && status.type() != std::filesystem::file_type::not_found;
}

bool HasLogExtension(const std::string& name)
{
    return name.size() > 4 && EndsWithNoCase(name, ".log");
}

} // namespace

ActivityLog::ActivityLog(PathResolver resolver) : m_resolver(std::move(resolver)), m_now(NowTime) {}

int ActivityLog::NormalizeBrowseScope(int scope)
{
    return scope >= 1 && scope <= 4 ? scope : 1;
}

void ActivityLog::AddSystemFile(const std::string& systemPath, FileList& files) const
{
    std::filesystem::path path = m_resolver(systemPath);
    if (path.empty())
        return;
    files.paths.push_back(std::move(path));
    files.names.push_back(systemPath);
}

void ActivityLog::AddDays(std::uint32_t first, int days, FileList& files) const
{
    for (int i = 0; i < days; ++i)
        AddSystemFile(DayLogPath(m_databaseDirectory, AddLocalDays(first, i)), files);
}

void ActivityLog::ReadFiles(const FileList& files, LogFileRules rules, const ProgressSink& progress)
{
    for (const std::size_t i : ReadLogFiles(files.paths, rules, m_records, progress)) {
        if (Exists(files.paths[i]))
            m_unreadable.push_back(files.names[i]);
    }
}

bool ActivityLog::LoadScope(int scope, std::uint32_t historyDate)
{
    OptionalWaitCursor cursor(m_ui);
    m_records.clear();
    m_unreadable.clear();
    FileList files;
    switch (NormalizeBrowseScope(scope)) {
    case 2: AddDays(historyDate, 7, files); break;
    case 3: AddDays(historyDate, 30, files); break;
    case 4: {
        const std::string logData = m_databaseDirectory + "\\LogData";
        std::filesystem::path dir = m_resolver(logData);
        std::vector<std::string> names;
        std::error_code ec;
        if (!dir.empty()) {
            std::filesystem::directory_iterator it(dir, ec), end;
            for (; !ec && it != end; it.increment(ec)) {
                const std::string name = it->path().filename().string();
                if (!HasLogExtension(name))
                    continue;
                std::error_code typeError;
                if (!it->is_regular_file(typeError)) {
                    m_unreadable.push_back(logData + "\\" + name);
                    continue;
                }
                names.push_back(name);
            }
            // A LogData that is there but cannot be listed hides every day.
            if (ec && ec != std::errc::no_such_file_or_directory)
                m_unreadable.push_back(logData);
        }
        // Name order keeps loads repeatable; the sort by time decides the rest.
        std::sort(names.begin(), names.end());
        // Each file through the resolver too, which refuses a day file
        // whose link leads out of the network.
        for (const std::string& name : names)
            AddSystemFile(logData + "\\" + name, files);
        if (files.paths.empty())
            return false;
        break;
    }
    default: AddDays(historyDate, 1, files); break;
    }
    ReadFiles(files, LogFileRules::Day, m_progress);
    Finish(true);
    return true;
}

bool ActivityLog::LoadRange(std::uint32_t from, std::uint32_t to)
{
    OptionalWaitCursor cursor(m_ui);
    m_records.clear();
    m_unreadable.clear();
    // Whole local days from the day of `from` to the day of `to`; the first
    // day is always read. Stops, too, where days can no longer be counted
    // in 32-bit times.
    FileList files;
    std::uint32_t previous = 0;
    for (int i = 0;; ++i) {
        const std::uint32_t day = AddLocalDays(from, i);
        if (i > 0 && (StartOfLocalDay(day) > to || day <= previous))
            break;
        AddSystemFile(DayLogPath(m_databaseDirectory, day), files);
        previous = day;
    }
    ReadFiles(files, LogFileRules::Day, m_progress);
    Finish(true);
    return true;
}

bool ActivityLog::LoadLegacy()
{
    m_records.clear();
    m_unreadable.clear();
    FileList files;
    AddSystemFile(LegacyLogPath(m_databaseDirectory), files);
    ReadFiles(files, LogFileRules::Legacy, {});
    Finish(false);
    return true;
}

// Sorts by time, equal times in table order. Sorts (time, position) pairs
// and then moves each record once along the cycles of the permutation, so
// that no second table of records is needed.
void SortRecordsByTime(std::vector<LogRecord>& records)
{
    const std::size_t n = records.size();
    std::vector<std::pair<std::uint32_t, std::uint32_t>> order(n);
    bool sorted = true;
    for (std::size_t i = 0; i < n; ++i) {
        order[i] = {records[i].time, static_cast<std::uint32_t>(i)};
        sorted = sorted && (i == 0 || records[i - 1].time <= records[i].time);
    }
    if (sorted)
        return;
    std::sort(order.begin(), order.end());
    // order[i].second is the record that belongs at i. The records of a
    // cycle lie far apart; a second pointer runs a few steps ahead along the
    // cycle and prefetches them, so that the moves do not wait on memory.
    constexpr int kLookahead = 16;
    auto prefetch = [&records](std::size_t i) {
        const char* p = reinterpret_cast<const char*>(&records[i]);
        for (std::size_t offset = 0; offset < sizeof(LogRecord); offset += 64)
            __builtin_prefetch(p + offset, 1);
    };
    for (std::size_t start = 0; start < n; ++start) {
        if (order[start].second == start)
            continue;
        LogRecord moving = std::move(records[start]);
        std::size_t ahead = order[start].second;
        for (int k = 0; k < kLookahead && ahead != start; ++k) {
            prefetch(ahead);
            ahead = order[ahead].second;
        }
        std::size_t at = start;
        for (;;) {
            const std::size_t from = order[at].second;
            order[at].second = static_cast<std::uint32_t>(at);
            if (from == start) {
                records[at] = std::move(moving);
                break;
            }
            records[at] = std::move(records[from]);
            at = from;
            if (ahead != start) {
                prefetch(ahead);
                ahead = order[ahead].second;
            }
        }
    }
}

void ActivityLog::Finish(bool showReady)
{
    SortRecordsByTime(m_records);
    const std::uint32_t now = m_now();
    m_todayStart = StartOfLocalDay(now);
    m_todayEnd = EndOfLocalDay(now);
    m_loaded = true;
    m_firstTime = m_records.empty() ? 0 : m_records.front().time;
    if (showReady && m_progress)
        m_progress("Ready");
}

} // namespace dm
