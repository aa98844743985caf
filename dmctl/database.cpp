#include "dmctl/database.h"

#include "database/hardwarefile.h"
#include "database/userfile.h"
#include "platform/files/hosterror.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace dmctl {

bool CheckDatabaseDirectory(const std::string& dbdir, const std::string& group)
{
    const dm::ResolvedPath resolved = dm::ResolvePath(dbdir);
    if (!resolved.ok()) {
        std::fprintf(stderr, "dmctl %s: cannot reach the database directory '%s' (error %lu)\n", group.c_str(),
                     dbdir.c_str(), resolved.error);
        return false;
    }
    std::error_code error;
    if (!std::filesystem::is_directory(resolved.path, error)) {
        std::fprintf(stderr, "dmctl %s: there is no database directory '%s'\n", group.c_str(), dbdir.c_str());
        return false;
    }
    std::filesystem::directory_iterator entries(resolved.path, error);
    if (error) {
        std::fprintf(stderr, "dmctl %s: cannot read the database directory '%s': %s\n", group.c_str(),
                     dbdir.c_str(), error.message().c_str());
        return false;
    }
    return true;
}

bool CheckDatabaseFiles(const std::string& group, const std::string& dbdir, bool hw, bool usr)
{
    for (const std::string& file : {hw ? dm::HardwareFileIn(dbdir) : std::string(),
                                    usr ? dm::UserFileIn(dbdir) : std::string()}) {
        if (file.empty())
            continue;
        const unsigned long error = dm::CheckProfileFile(file);
        if (error == 0 || error == dm::winerr::FileNotFound)
            continue;
        std::fprintf(stderr, "dmctl %s: %s cannot be read: error %lu (%s)\n", group.c_str(), file.c_str(), error,
                     dm::WinErrorName(error).c_str());
        return false;
    }
    return true;
}

} // namespace dmctl
