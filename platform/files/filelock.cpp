#include "platform/files/filelock.h"

#include "common/text.h"
#include "platform/files/fileopen.h"

#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dm {

std::filesystem::path LockFileOf(const std::filesystem::path& file)
{
    return file.parent_path() / ("." + LowerAscii(file.filename().string()) + ".lock");
}

FileLock::FileLock(const std::filesystem::path& file)
{
    const std::string lockPath = LockFileOf(file).string();
    // A lock file is never a link: one planted there must not create its target.
    m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (m_fd < 0)
        return;
    while (::flock(m_fd, LOCK_EX) != 0) {
        if (errno != EINTR) {
            ::close(m_fd);
            m_fd = -1;
            return;
        }
    }
}

FileLock::~FileLock()
{
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
    }
}

int ReplaceFileAtomically(const std::filesystem::path& path, std::string_view contents)
{
    std::string temp = path.string() + ".XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = WriteAllTo(fd, contents);
    // The new file keeps the mode of the file it replaces, as a file written
    // in place would; a new file is readable by others.
    struct stat old {}, now {};
    const bool replacing = ::stat(path.c_str(), &old) == 0;
    if (error == 0 && ::fchmod(fd, replacing ? (old.st_mode & 07777) : 0644) != 0)
        error = errno;
    // Its modification time must be later than the replaced file's: the
    // clock's granularity is coarse and the inode number may be reused, and
    // caches must not take the new file for the old one.
    if (error == 0 && replacing && ::fstat(fd, &now) == 0) {
        const auto ns = [](const struct timespec& t) {
            return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
        };
        if (ns(now.st_mtim) <= ns(old.st_mtim)) {
            long long later = ns(old.st_mtim) + 1;
            struct timespec times[2];
            times[0].tv_sec = 0;
            times[0].tv_nsec = UTIME_OMIT;
            times[1].tv_sec = static_cast<time_t>(later / 1000000000LL);
            times[1].tv_nsec = static_cast<long>(later % 1000000000LL);
            ::futimens(fd, times);
        }
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temp.c_str());
    return error;
}

} // namespace dm
