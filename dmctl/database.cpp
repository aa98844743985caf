#include "dmctl/database.h"

#include "platform/files/pathresolver.h"

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

} // namespace dmctl
