#pragma once
// The activity log files of a database directory ("%s\LogData\*.log") as the
// Database page, the log files dialog and `dmctl logfiles` see them: listed,
// counted, recorded in logfiles.tmp and deleted. Qt-free.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

struct LogFileEntry {
    std::string name; // file name with its extension, as the directory spells it
    std::uintmax_t size = 0;
};

// The plain files of "<databaseDirectory>\LogData" whose names end in ".log"
// (without regard to case): the day files by their date, oldest first, then
// any other by name without regard to case. Empty when the directory cannot
// be read; then error, when given, receives why (0 when there is no LogData
// at all, which is a database without history).
std::vector<LogFileEntry> ListLogFiles(std::string_view databaseDirectory, unsigned long* error = nullptr);
// The date of a day file name ("1997-Dec-05.log", the month as this locale
// abbreviates it, without regard to case) as yyyymmdd; 0 for any other name.
int DayFileDate(std::string_view name);
// "%s\LogData" of a database directory.
std::string LogDataDirectory(std::string_view databaseDirectory);
int CountLogFiles(std::string_view databaseDirectory);

// "%s\LogData\logfiles.tmp": entry i of files under key (fileCount - i), its
// title (name without extension) in section "Files" and its size in section
// "Size". Both sections are rewritten, so no key names a file that is gone.
bool RecordLogFileList(std::string_view databaseDirectory, const std::vector<LogFileEntry>& files,
                       int fileCount);

// Deletes the named files from LogData: a name ending in "log" is taken as
// it is, any other gets ".log". Only a name that the listing holds is
// deleted, so a name with a path separator or ".." never reaches anything
// outside LogData. Returns how many files were deleted; failures are not
// reported otherwise.
int DeleteLogFiles(std::string_view databaseDirectory, const std::vector<std::string>& names);

// The size of a file named the system's way ("%s\Dialmind.hw"); 0 when it
// cannot be examined.
std::uintmax_t SystemFileSize(std::string_view systemPath);

} // namespace dm
