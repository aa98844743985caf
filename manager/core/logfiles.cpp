#include "manager/core/logfiles.h"

#include "common/iniparser.h"
#include "common/text.h"
#include "platform/files/hosterror.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace dm {

namespace {

namespace fs = std::filesystem;

bool HasLogExtension(std::string_view name)
{
    return name.size() > 4 && EndsWithNoCase(name, ".log");
}

bool NameLess(const LogFileEntry& a, const LogFileEntry& b)
{
    return LessNoCase(a.name, b.name);
}

std::string Title(const std::string& name)
{
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

bool EndsWithLog(std::string_view name)
{
    return name.size() >= 3 && name.substr(name.size() - 3) == "log";
}

} // namespace

std::string LogDataDirectory(std::string_view databaseDirectory)
{
    return std::string(databaseDirectory) + "\\LogData";
}

std::vector<LogFileEntry> ListLogFiles(std::string_view databaseDirectory, unsigned long* error)
{
    std::vector<LogFileEntry> files;
    if (error)
        *error = 0;
    const ResolvedPath dir = ResolvePath(LogDataDirectory(databaseDirectory));
    if (!dir.ok()) {
        if (error && dir.error != winerr::FileNotFound && dir.error != winerr::PathNotFound)
            *error = dir.error;
        return files;
    }
    std::error_code ec;
    fs::directory_iterator it(dir.path, ec), end;
    // A LogData that is there but cannot be listed is no database without
    // history: the caller says so.
    if (ec && error && ec != std::errc::no_such_file_or_directory)
        *error = WinErrorOf(ec);
    for (; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code fileError;
        // A day file that is a link out of the network is neither listed
        // nor read: it is not part of this database.
        if (!HasLogExtension(name) || !it->is_regular_file(fileError) ||
            !ConfineToNetwork(it->path()).ok())
            continue;
        const std::uintmax_t size = it->file_size(fileError);
        files.push_back({name, fileError ? 0 : size});
    }
    std::sort(files.begin(), files.end(), NameLess);
    return files;
}

int CountLogFiles(std::string_view databaseDirectory)
{
    return static_cast<int>(ListLogFiles(databaseDirectory).size());
}

bool RecordLogFileList(std::string_view databaseDirectory, const std::vector<LogFileEntry>& files,
                       int fileCount)
{
    ProfileBatch batch(LogDataDirectory(databaseDirectory) + "\\logfiles.tmp");
    batch.DeleteSection("Files");
    batch.DeleteSection("Size");
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string key = std::to_string(fileCount - static_cast<int>(i));
        batch.Write("Files", key, Title(files[i].name));
        batch.Write("Size", key, std::to_string(files[i].size));
    }
    return batch.Commit();
}

int DeleteLogFiles(std::string_view databaseDirectory, const std::vector<std::string>& names)
{
    const ResolvedPath dir = ResolvePath(LogDataDirectory(databaseDirectory));
    if (!dir.ok())
        return 0;
    const std::vector<LogFileEntry> listed = ListLogFiles(databaseDirectory);
    int deleted = 0;
    for (const std::string& given : names) {
        const std::string name = EndsWithLog(given) ? given : given + ".log";
        // The listing holds only plain names of files directly inside
        // LogData; anything else ("..\Dialmind.hw", "a/b.log") is refused.
        const auto found = std::find_if(listed.begin(), listed.end(), [&](const LogFileEntry& entry) {
            return entry.name == name;
        });
        if (found == listed.end() || name.find_first_of("/\\") != std::string::npos || name == "..")
            continue;
        std::error_code ec;
        if (fs::remove(dir.path / found->name, ec))
            ++deleted;
    }
    return deleted;
}

std::uintmax_t SystemFileSize(std::string_view systemPath)
{
    const ResolvedPath path = ResolvePath(systemPath);
    if (!path.ok())
        return 0;
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path.path, ec);
    return ec ? 0 : size;
}

} // namespace dm
