#include "manager/core/logfiles.h"

#include "common/iniparser.h"
#include "common/text.h"
#include "platform/files/hosterror.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"

#include "common/timeformat.h"

#include <algorithm>
#include <array>
#include <ctime>
#include <cctype>
#include <filesystem>

namespace dm {

namespace {

namespace fs = std::filesystem;

bool HasLogExtension(std::string_view name)
{
    return name.size() > 4 && EndsWithNoCase(name, ".log");
}

// The month abbreviations of the locale that forms the day file names.
const std::array<std::string, 12>& MonthNames()
{
    static const std::array<std::string, 12> names = [] {
        std::array<std::string, 12> result;
        for (int month = 0; month < 12; ++month) {
            std::tm day{};
            day.tm_year = 101;
            day.tm_mon = month;
            day.tm_mday = 15;
            day.tm_hour = 12;
            day.tm_isdst = -1;
            result[static_cast<size_t>(month)] = FormatLocalTime("%b", static_cast<std::uint32_t>(std::mktime(&day)));
        }
        return result;
    }();
    return names;
}

bool NameLess(const LogFileEntry& a, const LogFileEntry& b)
{
    const int dateA = DayFileDate(a.name);
    const int dateB = DayFileDate(b.name);
    // Day files by their date, oldest first; any other file after them.
    if ((dateA != 0) != (dateB != 0))
        return dateA != 0;
    if (dateA != dateB)
        return dateA < dateB;
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

int DayFileDate(std::string_view name)
{
    // "yyyy-MMM-dd.log": four digits, a dash, the month, a dash, two digits.
    const auto firstDash = name.find('-');
    const auto lastDash = name.rfind('-');
    const auto dot = name.rfind('.');
    if (firstDash != 4 || lastDash == firstDash || dot != lastDash + 3 || !EndsWithNoCase(name, ".log"))
        return 0;
    auto number = [&name](std::size_t from, std::size_t count) {
        int value = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            if (!std::isdigit(static_cast<unsigned char>(name[i])))
                return -1;
            value = value * 10 + (name[i] - '0');
        }
        return value;
    };
    const int year = number(0, 4);
    const int day = number(lastDash + 1, 2);
    const std::string_view month = name.substr(firstDash + 1, lastDash - firstDash - 1);
    const auto& months = MonthNames();
    for (int m = 0; m < 12; ++m)
        if (year > 0 && day >= 1 && day <= 31 && EqualNoCase(month, months[static_cast<size_t>(m)]))
            return year * 10000 + (m + 1) * 100 + day;
    return 0;
}

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
