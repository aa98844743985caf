#include "manager/core/historydelete.h"

#include "common/inistore.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace dm {

namespace {

// A file without any write permission counts as read-only, also for a
// user whom the system would let write it anyway.
bool Writable(const std::filesystem::path& path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (error || !std::filesystem::is_regular_file(status))
        return false;
    using std::filesystem::perms;
    return (status.permissions() & (perms::owner_write | perms::group_write | perms::others_write)) != perms::none;
}

} // namespace

std::optional<std::string> DeleteLogRecords(std::string_view databaseDirectory,
                                            const std::vector<LogRecord>& records,
                                            const PathResolver& resolve)
{
    // Day files in the order the records first name them, each with its records.
    std::vector<std::pair<std::string, std::vector<const LogRecord*>>> files;
    for (const LogRecord& record : records) {
        const std::string file = DayLogPath(databaseDirectory, record.time);
        auto it = std::find_if(files.begin(), files.end(), [&](const auto& entry) { return entry.first == file; });
        if (it == files.end()) {
            files.push_back({file, {}});
            it = files.end() - 1;
        }
        it->second.push_back(&record);
    }
    // Named references, not a structured binding: the lambda below captures them.
    for (const auto& entry : files) {
        const std::string& file = entry.first;
        const auto& inFile = entry.second;
        const std::filesystem::path path = resolve(file);
        if (path.empty() || !Writable(path))
            return file;
        const bool written = UpdateIniFile(path, [&](IniFile& ini) {
            if (ini.Empty())
                return false; // vanished since it was checked: nothing is created
            for (const LogRecord* record : inFile)
                ini.DeleteKey(LogSectionName(record->server, record->port), FormatLogKey(record->time));
            return true;
        });
        if (!written)
            return file;
    }
    return std::nullopt;
}

} // namespace dm
