#include "dmctl/databasedir.h"

#include "database/hardwarefile.h"
#include "database/userfile.h"
#include "platform/files/hosterror.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"

#include <cstdio>
#include <filesystem>

namespace dmctl {

bool CheckDatabaseDirectory(const std::string& command, const std::string& dbdir)
{
    dm::ResolvedPath resolved = dm::ResolvePath(dbdir);
    if (resolved.ok()) {
        std::error_code ec;
        if (!std::filesystem::is_directory(resolved.path, ec))
            resolved.error = ec && ec != std::errc::no_such_file_or_directory ? dm::WinErrorOf(ec)
                                                                               : dm::winerr::PathNotFound;
    }
    if (resolved.ok())
        return true;
    std::fprintf(stderr, "dmctl %s: %s: error %lu (%s)\n", command.c_str(), dbdir.c_str(), resolved.error,
                 dm::WinErrorName(resolved.error).c_str());
    return false;
}

bool CheckDatabaseFiles(const std::string& command, const std::string& dbdir, bool hw, bool usr)
{
    for (const std::string& file : {hw ? dm::HardwareFileIn(dbdir) : std::string(),
                                    usr ? dm::UserFileIn(dbdir) : std::string()}) {
        if (file.empty())
            continue;
        const unsigned long error = dm::CheckProfileFile(file);
        if (error == 0 || error == dm::winerr::FileNotFound)
            continue;
        std::fprintf(stderr, "dmctl %s: %s cannot be read: error %lu (%s)\n", command.c_str(), file.c_str(), error,
                     dm::WinErrorName(error).c_str());
        return false;
    }
    return true;
}

} // namespace dmctl
