#include "common/inistore.h"

#include "common/text.h"

#include <fcntl.h>
#include <csignal>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace dm {

namespace {

// Closes a descriptor when the scope ends.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return m_fd; }
    void reset(int fd)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }
    int release()
    {
        int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t mtimeNs = 0;
    bool operator==(const FileIdentity&) const = default;
};

std::int64_t MtimeNs(const struct stat& st)
{
    return static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

FileIdentity IdentityOf(const struct stat& st)
{
    return {st.st_dev, st.st_ino, st.st_size, MtimeNs(st)};
}

// Parsed files by path, least recently used evicted first.
class IniCache {
public:
    std::shared_ptr<const IniFile> Find(const std::string& path, const FileIdentity& id)
    {
        std::lock_guard lock(m_mutex);
        auto it = m_entries.find(path);
        if (it == m_entries.end() || !(it->second.id == id))
            return nullptr;
        it->second.lastUse = ++m_clock;
        return it->second.file;
    }
    void Store(const std::string& path, const FileIdentity& id, std::shared_ptr<const IniFile> file)
    {
        std::lock_guard lock(m_mutex);
        auto& entry = m_entries[path];
        m_bytes -= static_cast<std::uint64_t>(entry.id.size);
        entry = {id, std::move(file), ++m_clock};
        m_bytes += static_cast<std::uint64_t>(id.size);
        while (m_entries.size() > 1 && (m_entries.size() > kMaxEntries || m_bytes > kMaxBytes))
            EvictOldest();
    }
    void Clear()
    {
        std::lock_guard lock(m_mutex);
        m_entries.clear();
        m_bytes = 0;
    }

private:
    static constexpr std::size_t kMaxEntries = 128;
    static constexpr std::uint64_t kMaxBytes = 256ull << 20;

    struct Entry {
        FileIdentity id;
        std::shared_ptr<const IniFile> file;
        std::uint64_t lastUse = 0;
    };
    void EvictOldest()
    {
        auto oldest = m_entries.begin();
        for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
            if (it->second.lastUse < oldest->second.lastUse)
                oldest = it;
        }
        m_bytes -= static_cast<std::uint64_t>(oldest->second.id.size);
        m_entries.erase(oldest);
    }

    std::mutex m_mutex;
    std::map<std::string, Entry> m_entries;
    std::uint64_t m_bytes = 0;
    std::uint64_t m_clock = 0;
};

IniCache& Cache()
{
    static IniCache cache;
    return cache;
}

bool ReadAll(int fd, std::size_t expected, std::string& text)
{
    text.clear();
    text.resize(expected);
    std::size_t done = 0;
    for (;;) {
        if (done == text.size())
            text.resize(text.size() + 65536); // the file grew since fstat
        ssize_t n = ::read(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    text.resize(done);
    return true;
}

bool WriteAll(int fd, std::string_view text)
{
    while (!text.empty()) {
        ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Opens the file for reading; on success fills st and returns the descriptor.
// Returns -1 with errno set otherwise (EISDIR for anything but a regular file).
// O_NONBLOCK keeps the open of a FIFO from waiting for a writer that never
// comes; a regular file ignores it.
int OpenRegular(const std::filesystem::path& path, struct stat& st)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return -1;
    }
    return fd;
}

// On a distributed file system, a file that another machine replaced
// between this machine's open and its read answers "stale file handle"
// (ESTALE) to the fstat or the read. Its name already leads to the new file,
// so the read starts again from the name; a reader never takes such a file
// for a missing one.
constexpr int kStaleAttempts = 8;

// Opens the file and hands the descriptor to read. False with errno set when
// the file cannot be opened or read fails.
bool ReadFromName(const std::filesystem::path& path, const std::function<bool(int, const struct stat&)>& read)
{
    for (int attempt = 1;; ++attempt) {
        int error = 0;
        {
            struct stat st {};
            FileDescriptor fd(OpenRegular(path, st));
            if (fd.get() >= 0 && read(fd.get(), st))
                return true;
            error = errno;
        }
        if (error != ESTALE || attempt == kStaleAttempts) {
            errno = error;
            return false;
        }
    }
}

// The parsed file behind an open descriptor, through the cache.
std::shared_ptr<const IniFile> ParseOpenFile(const std::string& key, int fd, const struct stat& st)
{
    FileIdentity id = IdentityOf(st);
    if (auto cached = Cache().Find(key, id))
        return cached;
    std::string text;
    if (!ReadAll(fd, static_cast<std::size_t>(st.st_size), text))
        return nullptr;
    auto file = std::make_shared<const IniFile>(text);
    Cache().Store(key, id, file);
    return file;
}

// Removes the temporary files ".NAME.PID.N.tmp" that a writer of this file
// left when it was killed between creating and renaming one: those whose
// process no longer exists. Called under the file's lock, so no live writer
// of this file can be between the two steps at that moment but ours.
void RemoveStaleTemporaries(const std::filesystem::path& dir, const std::string& name)
{
    const std::string prefix = "." + name + ".";
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string entry = it->path().filename().string();
        if (entry.size() <= prefix.size() + 4 || entry.compare(0, prefix.size(), prefix) != 0 ||
            entry.compare(entry.size() - 4, 4, ".tmp") != 0)
            continue;
        // PID.N between the prefix and ".tmp", both decimal.
        const std::string middle = entry.substr(prefix.size(), entry.size() - prefix.size() - 4);
        const std::size_t dot = middle.find('.');
        if (dot == 0 || dot == std::string::npos || dot > 9 ||
            middle.find_first_not_of("0123456789", 0) != dot ||
            middle.find_first_not_of("0123456789", dot + 1) != std::string::npos || dot + 1 == middle.size())
            continue;
        const pid_t pid = static_cast<pid_t>(std::stol(middle.substr(0, dot)));
        if (pid <= 0 || pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH)
            continue;
        std::error_code removeError;
        std::filesystem::remove(it->path(), removeError);
    }
}

std::filesystem::path WriteTarget(const std::filesystem::path& path)
{
    // Replacing a symbolic link would cut it; write through to its target.
    std::error_code ec;
    if (std::filesystem::is_symlink(path, ec)) {
        auto target = std::filesystem::canonical(path, ec);
        if (!ec)
            return target;
    }
    return path;
}

} // namespace

bool ReadWholeFile(const std::filesystem::path& path, std::string& text)
{
    return ReadFromName(path, [&](int fd, const struct stat& st) {
        return ReadAll(fd, static_cast<std::size_t>(st.st_size), text);
    });
}

std::shared_ptr<const IniFile> LoadIniFile(const std::filesystem::path& path)
{
    std::shared_ptr<const IniFile> file;
    ReadFromName(path, [&](int fd, const struct stat& st) {
        file = ParseOpenFile(path.string(), fd, st);
        return file != nullptr;
    });
    return file;
}

bool UpdateIniFile(const std::filesystem::path& requested,
                   const std::function<bool(IniFile&)>& edit)
{
    const std::filesystem::path path = WriteTarget(requested);
    std::filesystem::path dir = path.parent_path();
    if (dir.empty())
        dir = ".";
    const std::string name = path.filename().string();
    if (name.empty())
        return false;

    std::string lockName = ".";
    lockName += LowerAscii(name);
    lockName += ".lock";
    // A lock file is never a link: one planted there must not create its target.
    FileDescriptor lock(::open((dir / lockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666));
    if (lock.get() < 0)
        return false;
    while (::flock(lock.get(), LOCK_EX) != 0) {
        if (errno != EINTR)
            return false;
    }

    // The file as it is now, under the lock.
    IniFile file;
    struct stat old {};
    bool existed = false;
    std::shared_ptr<const IniFile> current;
    if (ReadFromName(path, [&](int fd, const struct stat& st) {
            old = st;
            // A parse kept by a reader is copied; otherwise the file is
            // parsed straight into the copy that is edited, so that a large
            // file is not built twice and then freed once more.
            if ((current = Cache().Find(path.string(), IdentityOf(st)))) {
                file = *current;
                return true;
            }
            std::string text;
            if (!ReadAll(fd, static_cast<std::size_t>(st.st_size), text))
                return false;
            file = IniFile(text);
            return true;
        })) {
        file.MarkSaved();
        existed = true;
    } else if (errno != ENOENT) {
        return false;
    }

    if (!edit(file))
        return false;
    if (!file.Modified())
        return true;
    RemoveStaleTemporaries(dir, name);

    static std::atomic<unsigned> counter{0};
    std::filesystem::path temp;
    FileDescriptor out;
    for (int attempt = 0; attempt < 100 && out.get() < 0; ++attempt) {
        temp = dir / ("." + name + "." + std::to_string(::getpid()) + "." +
                      std::to_string(counter.fetch_add(1)) + ".tmp");
        out.reset(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (out.get() < 0 && errno != EEXIST)
            return false;
    }
    if (out.get() < 0)
        return false;

    const std::string text = file.Text();
    bool ok = WriteAll(out.get(), text);
    if (ok && existed)
        ok = ::fchmod(out.get(), old.st_mode & 07777) == 0;
    struct stat written {};
    if (ok)
        ok = ::fsync(out.get()) == 0 && ::fstat(out.get(), &written) == 0;
    if (ok && existed && MtimeNs(written) <= MtimeNs(old)) {
        // Same clock tick as the file it replaces: move the time on by one
        // nanosecond so that size and time never repeat for this path.
        std::int64_t ns = MtimeNs(old) + 1;
        struct timespec times[2] = {{0, UTIME_OMIT}, {ns / 1000000000, ns % 1000000000}};
        ok = ::futimens(out.get(), times) == 0 && ::fstat(out.get(), &written) == 0;
    }
    if (::close(out.release()) != 0)
        ok = false;
    if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }

    file.MarkSaved();
    Cache().Store(path.string(), IdentityOf(written),
                  std::make_shared<const IniFile>(std::move(file)));
    return true;
}

void ClearIniCache()
{
    Cache().Clear();
}

} // namespace dm
