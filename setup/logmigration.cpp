#include "setup/logmigration.h"

#include "common/logrecord.h"
#include "common/numbers.h"
#include "common/text.h"
#include "platform/files/fileopen.h"
#include "platform/files/hosterror.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace dm {

namespace {


} // namespace

bool LogMigration::HasLegacyLog(const std::string& databaseDirectory)
{
    const ResolvedPath source = ResolvePath(LegacyLogPath(databaseDirectory));
    if (!source.ok())
        return false;
    // A FIFO of that name is no log, and must not hold setup up.
    return OpenRegularFile(source.path, O_RDONLY).ok();
}

void LogMigration::ReportError(int step, unsigned long error, const std::string& reason)
{
    m_failed = true;
    char text[600];
    std::snprintf(text, sizeof text, "An error occured at step %d (%lu).\n\n%s.", step, error,
                  reason.c_str());
    m_ui.ShowMessage(text, "Dialminder Setup", Buttons::Ok, Icon::Error);
    m_ui.ShowMessage("The conversion of your Dialminder log data did not complete.\n\n"
                     "Please contact Dialminder technical support and quote the message shown "
                     "before this one. Your old log file has been kept as it was.",
                     "Dialminder Setup", Buttons::Ok, Icon::Information);
}

bool LogMigration::Run()
{
    const std::string source = LegacyLogPath(m_dir);

    // Step 1: the source can be read.
    const ResolvedPath resolved = ResolvePath(source);
    std::error_code ec;
    if (!resolved.ok()) {
        ReportError(1, resolved.error, "The source directory was in error");
    } else {
        const OpenedFile in = OpenRegularFile(resolved.path, O_RDONLY);
        // A missing file in a directory that exists is "file not found" (2).
        const bool missingFile = in.error() == winerr::FileNotFound &&
                                 fs::is_directory(resolved.path.parent_path(), ec);
        if (!in.ok())
            ReportError(1, missingFile ? 2 : in.error() == winerr::FileNotFound ? 3 : in.error(),
                        "The source directory was in error");
    }

    // Step 2: LogData exists.
    ResolvedPath logData = ResolvePath(m_dir + "\\LogData");
    if (logData.ok())
        logData = ResolveWriteTarget(logData.path);
    if (!logData.ok()) {
        ReportError(2, logData.error, "The target directory could not be created");
    } else if (!fs::create_directory(logData.path, ec)) {
        const std::error_code created = ec;
        // A plain file of that name is "already exists" (183), not success.
        if (!fs::is_directory(logData.path, ec))
            ReportError(2, WinErrorOf(created ? created : std::make_error_code(std::errc::file_exists)),
                        "The target directory could not be created");
    }

    // Step 3: the records.
    if (!m_failed && !Convert())
        m_failed = true;

    // Step 4: the old file out of the way. The source is renamed only after a
    // complete conversion, so a failed one runs again with the next setup
    // instead of leaving records behind in a file nobody reads.
    if (!m_failed && resolved.ok()) {
        const fs::path migrated = resolved.path.parent_path() / "dialmind.migrated";
        fs::remove(MatchCaseInsensitive(migrated), ec);
        fs::rename(resolved.path, migrated, ec);
    }
    return !m_failed;
}

bool LogMigration::Convert()
{
    const std::string source = LegacyLogPath(m_dir);
    std::error_code ec;
    const auto size = fs::file_size(ResolvePathOrEmpty(source), ec);
    const std::uint64_t total = ec ? 0 : static_cast<std::uint64_t>(size);

    std::uint64_t processed = 0;
    // One batch per day file: every record of a day is one locked replace.
    std::map<std::string, ProfileBatch> days;
    for (const std::string& section : GetPrivateProfileSectionNames(source)) {
        std::set<std::string> seen;
        const auto entries = GetPrivateProfileSection(section, source);
        for (const auto& [key, listed] : entries) {
            // A key listed twice reads back the value of its first occurrence.
            std::string value = listed;
            if (!seen.insert(LowerAscii(key)).second)
                value = GetPrivateProfileString(section, key, "*", source, 1000);
            else if (value.size() > 999)
                value.resize(999);
            processed += value.size() + key.size() + 2;
            if (value == "*")
                break;
            if (value.empty())
                continue;
            const std::uint64_t percent = total ? processed * 100 / total : 0;
            char status[80];
            std::snprintf(status, sizeof status, "Processed %llu%% (%llu records)",
                          static_cast<unsigned long long>(percent),
                          static_cast<unsigned long long>(m_records));
            m_progress.SetStatus(status);
            m_progress.SetPosition(static_cast<int>(std::min<std::uint64_t>(percent, 100)));
            ++m_records;
            const std::uint32_t time = AtoiWrapped32(key);
            const std::string dayFile = DayLogPath(m_dir, time);
            days.try_emplace(dayFile, dayFile).first->second.Write(section, key, value);
        }
    }
    bool ok = true;
    for (auto& [name, batch] : days) {
        if (batch.Commit())
            m_written += batch.Size();
        else
            ok = false;
    }
    return ok;
}

} // namespace dm
