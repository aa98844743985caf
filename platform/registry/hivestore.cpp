#include "platform/registry/hivestore.h"

#include "platform/files/filelock.h"
#include "platform/files/pathresolver.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

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

FileStamp StampOf(const struct stat& st)
{
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = st.st_size;
    stamp.mtimeSec = st.st_mtim.tv_sec;
    stamp.mtimeNsec = st.st_mtim.tv_nsec;
    stamp.device = st.st_dev;
    stamp.inode = st.st_ino;
    return stamp;
}

FileStamp StampOf(const std::filesystem::path& file)
{
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return {};
    return StampOf(st);
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

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

enum class FileKind { Missing, Regular, NotRegular };

struct ReadResult {
    FileKind kind = FileKind::Missing;
    unsigned long error = 0;
    FileStamp stamp;
    std::shared_ptr<const RegHive> hive;
};

// Reads the file as it is now. O_NONBLOCK keeps the open of a FIFO from
// waiting for a writer; only a regular file is read.
ReadResult ReadHive(const std::filesystem::path& file)
{
    ReadResult result;
    for (int attempt = 0;; ++attempt) {
        Descriptor fd(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (fd.get() < 0) {
            if (errno == ENOENT || errno == ENOTDIR) {
                result.hive = std::make_shared<const RegHive>();
                return result;
            }
            result.error = WinErrorOfErrno(errno);
            return result;
        }
        struct stat st {};
        if (::fstat(fd.get(), &st) != 0) {
            result.error = WinErrorOfErrno(errno);
            return result;
        }
        if (!S_ISREG(st.st_mode)) {
            result.kind = FileKind::NotRegular;
            result.hive = std::make_shared<const RegHive>();
            return result;
        }
        result.kind = FileKind::Regular;
        const FileStamp before = StampOf(st);
        {
            std::lock_guard<std::mutex> lock(CacheMutex());
            auto it = Cache().find(file);
            if (it != Cache().end() && it->second.stamp == before) {
                result.stamp = before;
                result.hive = it->second.hive;
                return result;
            }
        }
        std::string text(static_cast<std::size_t>(st.st_size), '\0');
        std::size_t done = 0;
        for (;;) {
            if (done == text.size())
                text.resize(text.size() + 65536); // the file grew since fstat
            const ssize_t n = ::read(fd.get(), text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                result.error = WinErrorOfErrno(errno);
                return result;
            }
            if (n == 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        text.resize(done);
        // A file that changes while it is read is read again, so the stamp
        // matches the text.
        const FileStamp after = StampOf(file);
        if (!(after == before) && attempt < 5)
            continue;
        result.stamp = after;
        result.hive = std::make_shared<const RegHive>(RegHive::Parse(text));
        std::lock_guard<std::mutex> lock(CacheMutex());
        Cache()[file] = CacheEntry{after, result.hive};
        return result;
    }
}

} // namespace

unsigned long HiveStore::Load(const std::filesystem::path& file, std::shared_ptr<const RegHive>& hive)
{
    ReadResult read = ReadHive(file);
    hive = std::move(read.hive);
    return read.error;
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
    ReadResult current = ReadHive(file);
    if (current.error != 0)
        return current.error;
    if (current.kind == FileKind::NotRegular)
        return ErrorRegistryIoFailed;
    RegHive hive = *current.hive;
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
