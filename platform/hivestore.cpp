#include "platform/hivestore.h"

#include "platform/filelock.h"
#include "platform/pathresolver.h"

#include <cerrno>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <sys/stat.h>

namespace dm {

namespace {

constexpr unsigned long ErrorDiskFull = 112;
constexpr unsigned long ErrorRegistryIoFailed = 1016;

struct FileStamp {
    bool exists = false;
    off_t size = 0;
    long long mtimeSec = 0;
    long mtimeNsec = 0;
    dev_t device = 0;
    ino_t inode = 0;

    bool operator==(const FileStamp&) const = default;
};

FileStamp StampOf(const std::filesystem::path& file)
{
    struct stat st {};
    FileStamp stamp;
    if (::stat(file.c_str(), &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.size = st.st_size;
    stamp.mtimeSec = st.st_mtim.tv_sec;
    stamp.mtimeNsec = st.st_mtim.tv_nsec;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    return stamp;
}

struct CacheEntry {
    FileStamp stamp;
    std::shared_ptr<const RegHive> hive;
};

std::mutex& CacheMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::map<std::filesystem::path, CacheEntry>& Cache()
{
    static std::map<std::filesystem::path, CacheEntry> cache;
    return cache;
}

// Reads and parses the file unless the cache holds it unchanged. A file that
// changes while it is read is read again, so the stamp matches the text.
std::shared_ptr<const RegHive> LoadFresh(const std::filesystem::path& file)
{
    for (int attempt = 0;; ++attempt) {
        const FileStamp before = StampOf(file);
        {
            std::lock_guard<std::mutex> lock(CacheMutex());
            auto it = Cache().find(file);
            if (it != Cache().end() && it->second.stamp == before)
                return it->second.hive;
        }
        std::string text;
        if (before.exists) {
            std::ifstream in(file, std::ios::binary);
            std::ostringstream buffer;
            buffer << in.rdbuf();
            text = buffer.str();
        }
        const FileStamp after = StampOf(file);
        if (!(after == before) && attempt < 5)
            continue;
        auto hive = std::make_shared<const RegHive>(RegHive::Parse(text));
        std::lock_guard<std::mutex> lock(CacheMutex());
        Cache()[file] = CacheEntry{after, hive};
        return hive;
    }
}

unsigned long WinErrorOfErrno(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS: return 5;
    case ENOENT:
    case ENOTDIR: return 3;
    case ENOSPC:
    case EDQUOT: return ErrorDiskFull;
    default: return ErrorRegistryIoFailed;
    }
}

} // namespace

std::shared_ptr<const RegHive> HiveStore::Load(const std::filesystem::path& file)
{
    return LoadFresh(file);
}

unsigned long HiveStore::Modify(const std::filesystem::path& file, const Edit& edit)
{
    // A hive that is a link is written through to its target, never out of
    // the network; the link itself stays.
    const ResolvedPath target = ResolveWriteTarget(file);
    if (!target.ok())
        return target.error;
    FileLock lock(target.path);
    if (!lock.IsHeld())
        return WinErrorOfErrno(errno);
    RegHive hive = *LoadFresh(file);
    bool changed = false;
    unsigned long result = edit(hive, changed);
    if (result != 0 || !changed)
        return result;
    const std::string text = hive.Serialize();
    if (int error = ReplaceFileAtomically(target.path, text))
        return WinErrorOfErrno(error);
    // The text just written is what the file holds: cache it without a parse.
    auto written = std::make_shared<const RegHive>(std::move(hive));
    std::lock_guard<std::mutex> guard(CacheMutex());
    Cache()[file] = CacheEntry{StampOf(file), std::move(written)};
    return 0;
}

void HiveStore::ClearCache()
{
    std::lock_guard<std::mutex> lock(CacheMutex());
    Cache().clear();
}

} // namespace dm
