#pragma once
// The activity log as the manager and the report programs hold it: one table
// of events, sorted by time, replaced by each load.
//
// Three loaders, each of which replaces the table:
// - LoadScope: the day files of the browse scope relative to a history date
//   (1 = that day, 2 = seven days from it, 3 = thirty days from it, 4 = every
//   "*.log" file in LogData). Any other scope counts as 1. Returns false only
//   when scope 4 finds no day file; the table is then empty and nothing else
//   changes.
// - LoadRange: the day files of every local day from the day of `from` to the
//   day of `to` (only the first when to < from). Returns true.
// - LoadLegacy: the whole legacy single file "<database>\Dialmind.log", with
//   the legacy rules and without progress texts. Returns true (a missing file
//   gives an empty table).
// Missing day files contribute nothing. After a load the table is sorted by
// time (stable: equal times keep file order), today's window is set, the
// loaded flag is set and the first record's time is remembered. The scope
// and range loaders show "Processing logs from <server\port>, please
// wait..." for each section with events and "Ready" at the end through the
// progress sink, and the wait cursor while they run.
//
// File names are formed as the system forms them ("%s\LogData\%s.log") and
// turned into paths of this machine by the resolver given at construction
// (the platform's ResolvePathOrEmpty in the programs; an empty path means
// unreachable). The table grows as needed: no event is dropped.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/logfilereader.h"
#include "common/logrecord.h"
#include "common/userinteraction.h"

namespace dm {

// Sorts a table by time; equal times keep their order.
void SortRecordsByTime(std::vector<LogRecord>& records);

using PathResolver = std::function<std::filesystem::path(std::string_view systemPath)>;

class ActivityLog {
public:
    explicit ActivityLog(PathResolver resolver);

    void SetDatabaseDirectory(std::string directory) { m_databaseDirectory = std::move(directory); }
    const std::string& DatabaseDirectory() const { return m_databaseDirectory; }
    void SetProgressSink(ProgressSink sink) { m_progress = std::move(sink); }
    // Shows the wait cursor during loads; may be null.
    void SetUserInteraction(UserInteraction* ui) { m_ui = ui; }
    // The clock of today's window (tests); NowTime by default.
    void SetClock(std::function<std::uint32_t()> now) { m_now = std::move(now); }

    // 1 to 4 stay; anything else becomes 1.
    static int NormalizeBrowseScope(int scope);

    bool LoadScope(int scope, std::uint32_t historyDate);
    bool LoadRange(std::uint32_t from, std::uint32_t to);
    bool LoadLegacy();

    const std::vector<LogRecord>& Records() const { return m_records; }
    std::size_t Count() const { return m_records.size(); }
    bool IsLoaded() const { return m_loaded; }
    // The files (named as the system names them) that the last load found
    // but could not read: not a regular file, no permission, a LogData that
    // cannot be listed. Their events are missing from the table; the caller
    // says so rather than show the table as the whole log.
    const std::vector<std::string>& UnreadableFiles() const { return m_unreadable; }
    // The earliest record's time; 0 when the table is empty.
    std::uint32_t FirstRecordTime() const { return m_firstTime; }
    // 00:00:00 and 23:59:59 local time of the day of the last load.
    std::uint32_t TodayStart() const { return m_todayStart; }
    std::uint32_t TodayEnd() const { return m_todayEnd; }

private:
    // Adds the path of a file named as the system names it, when it resolves.
    // The files of a load: where each lies and its name as the system
    // names it (for UnreadableFiles).
    struct FileList {
        std::vector<std::filesystem::path> paths;
        std::vector<std::string> names;
    };
    void AddSystemFile(const std::string& systemPath, FileList& files) const;
    void AddDays(std::uint32_t first, int days, FileList& files) const;
    // Reads the files into the table; those found but not read go to
    // UnreadableFiles.
    void ReadFiles(const FileList& files, LogFileRules rules, const ProgressSink& progress);
    void Finish(bool showReady);

    PathResolver m_resolver;
    std::string m_databaseDirectory;
    ProgressSink m_progress;
    UserInteraction* m_ui = nullptr;
    std::function<std::uint32_t()> m_now;

    std::vector<LogRecord> m_records;
    std::vector<std::string> m_unreadable;
    bool m_loaded = false;
    std::uint32_t m_firstTime = 0;
    std::uint32_t m_todayStart = 0;
    std::uint32_t m_todayEnd = 0;
};

} // namespace dm
