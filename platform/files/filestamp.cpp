#include "platform/files/filestamp.h"

#include "platform/files/pathresolver.h"

#include <sys/stat.h>

namespace dm {

FileStamp StampOf(std::string_view systemPath)
{
    FileStamp stamp;
    if (systemPath.empty())
        return stamp;
    const ResolvedPath resolved = ResolvePath(systemPath);
    struct stat info {};
    if (!resolved.ok() || ::stat(resolved.path.c_str(), &info) != 0)
        return stamp;
    stamp.modified = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    stamp.size = static_cast<std::uintmax_t>(info.st_size);
    return stamp;
}

} // namespace dm
