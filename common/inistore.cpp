#include "common/inistore.h"

#include "common/text.h"

#include <fcntl.h>
#include <csignal>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <map>
#include <unordered_set>
#include <optional>
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
    // One byte more than expected, so that the end of an unchanged file is
    // seen without growing (and copying) the text.
    text.resize(expected + 1);
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
    auto file = std::make_shared<const IniFile>(IniFile::Adopt(std::move(text)));
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

namespace {

// The exclusive lock on a file's lock file, held while the object lives.
class FileLock {
public:
    FileLock(const std::filesystem::path& dir, const std::string& name)
    {
        std::string lockName = ".";
        lockName += LowerAscii(name);
        lockName += ".lock";
        // A lock file is never a link: one planted there must not create its target.
        m_fd.reset(::open((dir / lockName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666));
        if (m_fd.get() < 0)
            return;
        while (::flock(m_fd.get(), LOCK_EX) != 0) {
            if (errno != EINTR) {
                m_fd.reset(-1);
                return;
            }
        }
    }
    bool Held() const { return m_fd.get() >= 0; }

private:
    FileDescriptor m_fd;
};

// Where a write goes: the file (a link's target), its directory and name.
struct WritePlace {
    std::filesystem::path path;
    std::filesystem::path dir;
    std::string name;
};

bool PlaceOf(const std::filesystem::path& requested, WritePlace& place)
{
    place.path = WriteTarget(requested);
    place.dir = place.path.parent_path();
    if (place.dir.empty())
        place.dir = ".";
    place.name = place.path.filename().string();
    return !place.name.empty();
}

// Has write fill a temporary file beside the file, flushes it and renames it
// over the file, under the caller's lock. existed tells whether old holds
// the replaced file's status; written receives the new file's.
bool ReplaceFile(const WritePlace& place, const std::function<bool(int)>& write, bool existed,
                 const struct stat& old, struct stat& written)
{
    RemoveStaleTemporaries(place.dir, place.name);
    static std::atomic<unsigned> counter{0};
    std::filesystem::path temp;
    FileDescriptor out;
    for (int attempt = 0; attempt < 100 && out.get() < 0; ++attempt) {
        temp = place.dir / ("." + place.name + "." + std::to_string(::getpid()) + "." +
                            std::to_string(counter.fetch_add(1)) + ".tmp");
        out.reset(::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (out.get() < 0 && errno != EEXIST)
            return false;
    }
    if (out.get() < 0)
        return false;

    bool ok = write(out.get());
    if (ok && existed)
        ok = ::fchmod(out.get(), old.st_mode & 07777) == 0;
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
    if (!ok || ::rename(temp.c_str(), place.path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

} // namespace

bool UpdateIniFile(const std::filesystem::path& requested,
                   const std::function<bool(IniFile&)>& edit)
{
    WritePlace place;
    if (!PlaceOf(requested, place))
        return false;
    FileLock lock(place.dir, place.name);
    if (!lock.Held())
        return false;

    // The file as it is now, under the lock.
    IniFile file;
    struct stat old {};
    bool existed = false;
    std::shared_ptr<const IniFile> current;
    if (ReadFromName(place.path, [&](int fd, const struct stat& st) {
            old = st;
            // A parse kept by a reader is copied; otherwise the file is
            // parsed straight into the copy that is edited, so that a large
            // file is not built twice and then freed once more.
            if ((current = Cache().Find(place.path.string(), IdentityOf(st)))) {
                file = *current;
                return true;
            }
            std::string text;
            if (!ReadAll(fd, static_cast<std::size_t>(st.st_size), text))
                return false;
            file = IniFile::Adopt(std::move(text));
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
    struct stat written {};
    const std::string text = file.Text();
    if (!ReplaceFile(place, [&text](int out) { return WriteAll(out, text); }, existed, old, written))
        return false;
    file.MarkSaved();
    Cache().Store(place.path.string(), IdentityOf(written), std::make_shared<const IniFile>(std::move(file)));
    return true;
}

namespace {

// Where one section lies in a file read through a small buffer, so that a
// large file costs neither its size in memory nor a model of it.
struct SectionScan {
    bool utf16 = false;                      // a UTF-16 file: to be read whole
    std::optional<std::pair<off_t, off_t>> bytes; // the first section of the name
    off_t size = 0;                          // bytes read
    LineEnd firstEnd = LineEnd::None;        // how the file's first ended line ends
    char last = 0;                           // the file's last byte
    bool bom = false;                        // it starts with a UTF-8 mark
};

// Appends up to a megabyte read from fd to buffer: the bytes read, 0 at the
// file's end, -1 when the read failed.
ssize_t ReadChunk(int fd, std::string& buffer)
{
    constexpr std::size_t kChunk = 1 << 20;
    const std::size_t carried = buffer.size();
    buffer.resize(carried + kChunk);
    ssize_t n;
    do
        n = ::read(fd, buffer.data() + carried, kChunk);
    while (n < 0 && errno == EINTR);
    buffer.resize(carried + static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
    return n;
}

bool StartsUtf16(std::string_view text) { return text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF"; }

// Reads the file through a buffer of a megabyte and calls found with each
// header's name and file offset; found returns false to stop (scan.size is
// then the file's size). Stops at once for UTF-16 text.
bool StreamHeaders(int fd, SectionScan& scan, const std::function<bool(std::string_view name, off_t at)>& found)
{
    std::string buffer;
    off_t base = 0; // the file offset of buffer[0]
    bool first = true;
    bool firstEndKnown = false;
    std::size_t from = 0; // where buffer's lines start: after a mark at the file's start
    for (;;) {
        const ssize_t n = ReadChunk(fd, buffer);
        if (n < 0)
            return false;
        const bool eof = n == 0;
        scan.size += n;
        if (n > 0)
            scan.last = buffer.back();
        const std::string_view text(buffer);
        if (first) {
            first = false;
            if (StartsUtf16(text)) {
                scan.utf16 = true;
                return true;
            }
            if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
                from = kUtf8Bom.size();
                scan.bom = true;
            }
        }
        // Only whole lines are looked at; the rest waits for the next chunk.
        std::size_t complete = text.size();
        if (!eof) {
            const std::size_t lastEnd = text.find_last_of("\r\n");
            complete = lastEnd == std::string_view::npos ? 0 : lastEnd + 1;
        }
        if (!firstEndKnown) {
            const std::size_t end = text.find_first_of("\r\n", from);
            if (end != std::string_view::npos) {
                // A CR at the buffer's end may start a CRLF: its next byte decides.
                char next = end + 1 < text.size() ? text[end + 1] : 0;
                if (end + 1 == text.size() && !eof && ::pread(fd, &next, 1, base + static_cast<off_t>(end) + 1) != 1)
                    next = 0;
                scan.firstEnd = text[end] == '\n' ? LineEnd::Lf : next == '\n' ? LineEnd::CrLf : LineEnd::Cr;
            }
            firstEndKnown = end != std::string_view::npos || eof;
        }
        bool done = false;
        IniFile::ScanHeaders(text.substr(0, complete), from, [&](std::size_t lineStart, std::string_view name) {
            done = !found(name, base + static_cast<off_t>(lineStart));
            return !done;
        });
        if (done) {
            // The bytes after the section are copied up to the file's end.
            struct stat st {};
            if (::fstat(fd, &st) != 0)
                return false;
            scan.size = st.st_size;
            return true;
        }
        if (eof)
            return true;
        if (complete > 0) {
            buffer.erase(0, complete);
            base += static_cast<off_t>(complete);
            from = 0;
        }
    }
}

bool ScanForSection(int fd, std::string_view section, SectionScan& scan)
{
    section = TrimBlanks(section);
    if (!StreamHeaders(fd, scan, [&](std::string_view name, off_t at) {
            if (scan.bytes) {
                scan.bytes->second = at;
                return false;
            }
            if (name.size() == section.size() && EqualNoCase(name, section))
                scan.bytes.emplace(at, -1);
            return true;
        }))
        return false;
    if (scan.bytes && scan.bytes->second < 0)
        scan.bytes->second = scan.size;
    return true;
}

// The last section found by a scan, with the file it was found in: a save
// that follows the read of the same section in an unchanged file (a sheet's
// or a command's read, then its write) does not scan again.
class LastScan {
public:
    std::optional<SectionScan> Find(const std::string& path, const FileIdentity& id, std::string_view section)
    {
        std::lock_guard lock(m_mutex);
        if (m_path != path || !(m_id == id) || !EqualNoCase(m_section, TrimBlanks(section)))
            return std::nullopt;
        return m_scan;
    }
    void Store(const std::string& path, const FileIdentity& id, std::string_view section, const SectionScan& scan)
    {
        std::lock_guard lock(m_mutex);
        m_path = path;
        m_id = id;
        m_section = std::string(TrimBlanks(section));
        m_scan = scan;
    }

private:
    std::mutex m_mutex;
    std::string m_path;
    FileIdentity m_id;
    std::string m_section;
    SectionScan m_scan;
};

LastScan& LastScans()
{
    static LastScan last;
    return last;
}

// ScanForSection, or what the last scan of the same file and section found.
bool ScanOrRecall(int fd, const std::string& path, const struct stat& st, std::string_view section, SectionScan& scan)
{
    if (const auto known = LastScans().Find(path, IdentityOf(st), section)) {
        scan = *known;
        return true;
    }
    if (!ScanForSection(fd, section, scan))
        return false;
    if (!scan.utf16 && scan.size == st.st_size)
        LastScans().Store(path, IdentityOf(st), section, scan);
    return true;
}

bool ReadRange(int fd, off_t begin, off_t end, std::string& text)
{
    text.resize(static_cast<std::size_t>(end - begin));
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::pread(fd, text.data() + done, text.size() - done, begin + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Copies bytes [begin, end) of in to out's end, in the kernel where it can.
bool CopyRange(int in, off_t begin, off_t end, int out)
{
    while (begin < end) {
        off_t from = begin;
        const ssize_t n = ::copy_file_range(in, &from, out, nullptr, static_cast<std::size_t>(end - begin), 0);
        if (n > 0) {
            begin += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            return false; // the file is shorter than it was
        // No copy between these files in the kernel: through a buffer.
        std::string chunk;
        while (begin < end) {
            const off_t stop = std::min<off_t>(end, begin + (1 << 20));
            if (!ReadRange(in, begin, stop, chunk) || !WriteAll(out, chunk))
                return false;
            begin = stop;
        }
    }
    return true;
}

// How a one-section edit ended: the whole file is edited for UTF-16 text.
enum class SectionEdit { Written, Failed, WholeFile };

} // namespace

std::optional<IniSectionCopy> ReadIniSection(const std::filesystem::path& path, std::string_view section)
{
    std::optional<IniSectionCopy> copy;
    const auto take = [&copy, section](const IniFile& file) {
        if (const auto name = file.SectionNamed(section))
            copy = IniSectionCopy{std::string(*name), file.Entries(section)};
    };
    const bool read = ReadFromName(path, [&](int fd, const struct stat& st) {
        std::shared_ptr<const IniFile> file = Cache().Find(path.string(), IdentityOf(st));
        if (file) {
            take(*file);
            return true;
        }
        SectionScan scan;
        if (!ScanOrRecall(fd, path.string(), st, section, scan))
            return false;
        if (scan.utf16) {
            // UTF-16 text: the whole file is decoded and parsed.
            std::string text;
            if (!ReadRange(fd, 0, st.st_size, text))
                return false;
            take(IniFile(text));
        } else if (scan.bytes) {
            std::string text;
            if (!ReadRange(fd, scan.bytes->first, scan.bytes->second, text))
                return false;
            take(IniFile(text));
        }
        return true;
    });
    return read ? copy : std::nullopt;
}

namespace {

// The names of the sections visited so far, compared without regard to case
// and kept compactly (one text of all names and a table of offsets into it),
// so that a file of a hundred thousand sections visits each name once for a
// few bytes a name.
class SeenNames {
public:
    // True when no section of this name was seen before; it is kept then.
    bool Insert(std::string_view name)
    {
        if (m_count * 2 >= m_slots.size())
            Grow();
        std::size_t slot = SlotOf(name);
        if (m_slots[slot] != 0)
            return false;
        m_slots[slot] = m_names.size() + 1;
        m_names += name;
        m_names += '\n'; // never part of a section name
        ++m_count;
        return true;
    }

private:
    std::string_view NameAt(std::size_t offset) const
    {
        const std::string_view rest = std::string_view(m_names).substr(offset);
        return rest.substr(0, rest.find('\n'));
    }
    static std::uint64_t Hash(std::string_view name)
    {
        std::uint64_t hash = 14695981039346656037ull;
        for (char c : name) {
            hash ^= static_cast<unsigned char>(LowerAscii(c));
            hash *= 1099511628211ull;
        }
        return hash;
    }
    // The slot holding name, or the empty slot where it belongs.
    std::size_t SlotOf(std::string_view name) const
    {
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t slot = Hash(name) & mask;; slot = (slot + 1) & mask) {
            const std::size_t held = m_slots[slot];
            if (held == 0 || EqualNoCase(NameAt(held - 1), name))
                return slot;
        }
    }
    void Grow()
    {
        m_slots.assign(std::max<std::size_t>(64, m_slots.size() * 2), 0);
        for (std::size_t offset = 0; offset < m_names.size();) {
            const std::string_view name = NameAt(offset);
            m_slots[SlotOf(name)] = offset + 1;
            offset += name.size() + 1;
        }
    }

    std::string m_names;
    std::vector<std::size_t> m_slots; // offset + 1 of a name in m_names; 0 is empty
    std::size_t m_count = 0;
};

// Reads the file a megabyte at a time and parses it a piece at a time, each
// piece ending where a section ends (a section longer than a megabyte is a
// piece of its own), so that the whole file is never held.
bool StreamSections(int fd, const IniSectionVisit& visit, const std::function<bool(std::string_view)>& take)
{
    std::string buffer;
    for (bool first = true;; first = false) {
        const ssize_t n = ReadChunk(fd, buffer);
        if (n < 0)
            return false;
        const bool eof = n == 0;
        const std::string_view text(buffer);
        std::size_t from = 0; // where lines start: after a UTF-8 mark at the file's start
        if (first && StartsUtf16(text)) {
            // UTF-16 text is decoded whole.
            std::string rest;
            struct stat st {};
            if (::fstat(fd, &st) != 0 || !ReadAll(fd, static_cast<std::size_t>(st.st_size), rest))
                return false;
            buffer += rest;
            IniFile(buffer).ForEachSection(visit, take);
            return true;
        }
        if (first && text.substr(0, kUtf8Bom.size()) == kUtf8Bom)
            from = kUtf8Bom.size();
        // The piece ends before the last header read; the rest of that
        // section may still be unread.
        std::size_t cut = eof ? text.size() : 0;
        if (!eof) {
            IniFile::ScanHeaders(text, from, [&](std::size_t lineStart, std::string_view) {
                if (lineStart > from)
                    cut = lineStart;
                return true;
            });
        }
        if (cut > 0)
            IniFile::Adopt(std::string(text.substr(0, cut))).ForEachSection(visit, take);
        if (eof)
            return true;
        buffer.erase(0, cut);
    }
}

} // namespace

bool ForEachIniSection(const std::filesystem::path& path, const IniSectionVisit& visit,
                       const std::function<bool(std::string_view)>& accepts)
{
    // Kept across a read that starts again, so that no name is visited twice.
    SeenNames seen;
    const auto take = [&](std::string_view name) { return (!accepts || accepts(name)) && seen.Insert(name); };
    return ReadFromName(path, [&](int fd, const struct stat& st) {
        if (std::shared_ptr<const IniFile> file = Cache().Find(path.string(), IdentityOf(st))) {
            file->ForEachSection(visit, take);
            return true;
        }
        return StreamSections(fd, visit, take);
    });
}

bool UpdateIniSection(const std::filesystem::path& requested, std::string_view section,
                      const std::function<bool(IniFile&)>& edit)
{
    WritePlace place;
    if (!PlaceOf(requested, place))
        return false;
    SectionEdit result = SectionEdit::Failed;
    std::shared_ptr<const IniFile> cached; // the file as the cache holds it, if it does
    struct stat written {};
    bool wrote = false;
    {
        FileLock lock(place.dir, place.name);
        if (!lock.Held())
            return false;
        // The section's bytes alone are parsed and edited; the bytes before
        // and after it are copied as they are.
        const auto splice = [&](int fd, const SectionScan& scan, const struct stat* old) {
            std::string text;
            if (scan.bytes && !ReadRange(fd, scan.bytes->first, scan.bytes->second, text))
                return SectionEdit::Failed;
            IniFile piece(text);
            const LineEnd fileEnd = scan.firstEnd == LineEnd::None ? LineEnd::CrLf : scan.firstEnd;
            piece.SetNewLineEnd(fileEnd);
            if (!edit(piece))
                return SectionEdit::Failed;
            if (!piece.Modified())
                return SectionEdit::Written;
            std::string middle;
            // A section added at the end starts on a line of its own.
            const off_t body = scan.size - (scan.bom ? static_cast<off_t>(kUtf8Bom.size()) : 0);
            if (!scan.bytes && body > 0 && scan.last != '\n' && scan.last != '\r')
                middle = LineEndText(fileEnd);
            const off_t added = static_cast<off_t>(middle.size());
            middle += piece.Text();
            const off_t begin = scan.bytes ? scan.bytes->first : scan.size;
            const off_t end = scan.bytes ? scan.bytes->second : scan.size;
            const struct stat none {};
            wrote = ReplaceFile(
                place,
                [&](int out) {
                    return (fd < 0 || CopyRange(fd, 0, begin, out)) && WriteAll(out, middle) &&
                           (fd < 0 || CopyRange(fd, end, scan.size, out));
                },
                old != nullptr, old ? *old : none, written);
            if (!wrote)
                return SectionEdit::Failed;
            // Where the section now lies, for the next save of it.
            SectionScan after = scan;
            after.bytes = std::make_pair(begin + added, begin + static_cast<off_t>(middle.size()));
            after.size = begin + static_cast<off_t>(middle.size()) + (scan.size - end);
            if (after.firstEnd == LineEnd::None)
                after.firstEnd = fileEnd;
            if (end == scan.size)
                after.last = middle.back();
            if (after.size == written.st_size)
                LastScans().Store(place.path.string(), IdentityOf(written), section, after);
            return SectionEdit::Written;
        };
        if (!ReadFromName(place.path, [&](int fd, const struct stat& st) {
                SectionScan scan;
                cached = Cache().Find(place.path.string(), IdentityOf(st));
                if (cached && cached->TextEncoding() != IniFile::Encoding::Bytes) {
                    result = SectionEdit::WholeFile;
                    return true;
                }
                // The cached index knows where the section lies, while it holds no edit.
                const auto range = cached ? cached->SourceRange(section) : std::nullopt;
                if (range) {
                    scan.bytes = std::make_pair(static_cast<off_t>(range->first), static_cast<off_t>(range->second));
                    scan.size = st.st_size;
                    scan.firstEnd = cached->NewLineEnd();
                } else if (!ScanOrRecall(fd, place.path.string(), st, section, scan)) {
                    return false;
                }
                result = scan.utf16 ? SectionEdit::WholeFile : splice(fd, scan, &st);
                return true;
            })) {
            if (errno != ENOENT)
                return false;
            result = splice(-1, SectionScan(), nullptr);
        }
    }
    if (result == SectionEdit::WholeFile)
        return UpdateIniFile(requested, edit); // UTF-16 text is edited as a whole
    if (wrote && cached) {
        // The cache goes on holding the file: its index with the same edits.
        IniFile file = *cached;
        file.MarkSaved();
        if (edit(file)) {
            file.MarkSaved();
            Cache().Store(place.path.string(), IdentityOf(written), std::make_shared<const IniFile>(std::move(file)));
        }
    }
    return result == SectionEdit::Written;
}

void ClearIniCache()
{
    Cache().Clear();
}

} // namespace dm
