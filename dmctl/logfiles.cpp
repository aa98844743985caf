// dmctl logfiles: the activity log files of a database directory, as the
// manager's "Dialminder Log Files" dialog lists them.

#include "dmctl/arguments.h"
#include "dmctl/command.h"
#include "dmctl/database.h"
#include "manager/core/logfiles.h"
#include "platform/files/pathresolver.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// A namespace of its own, so that the groups build together in one unit.
namespace dmctl::logfilesgroup {

const char* const kUsage =
    "Usage: dmctl logfiles DBDIR\n\n"
    "Lists the activity log files of the database directory DBDIR (its LogData\n"
    "folder, files named *.log) in the order the manager shows them: one line a\n"
    "file, the name and the size in bytes separated by a comma.\n"
    "DBDIR is named the system's way (C:\\Dialmind, \\\\SERVER\\DM_NT_DB) or as a\n"
    "path of this machine.\n";

int RunLogFiles(const std::vector<std::string>& args)
{
    const dmctl::Words words = dmctl::ParseWords(args, dmctl::Syntax{1, 1, {}, {}, {}});
    if (words.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!words.error.empty() || words.positional[0].empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string& directory = words.positional[0];
    if (!dmctl::CheckDatabaseDirectory(directory, "logfiles"))
        return 1;
    const dm::ResolvedPath logData = dm::ResolvePath(directory + "\\LogData");
    std::error_code ec;
    if (!logData.ok() || !std::filesystem::is_directory(logData.path, ec)) {
        std::fprintf(stderr, "dmctl logfiles: %s has no LogData directory\n", directory.c_str());
        return 1;
    }
    for (const dm::LogFileEntry& file : dm::ListLogFiles(directory))
        std::printf("%s,%ju\n", file.name.c_str(), file.size);
    return 0;
}

} // namespace dmctl::logfilesgroup

static dmctl::DmctlGroup logfilesGroup("logfiles", "the activity log files of a database, name and size",
                                       dmctl::logfilesgroup::RunLogFiles);
