#include "reports/reportfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dm {

bool RemoveReportFile(const std::filesystem::path& path)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT;
    if (!S_ISREG(st.st_mode) && !S_ISLNK(st.st_mode))
        return false;
    return ::unlink(path.c_str()) == 0 || errno == ENOENT;
}

bool WriteReportFile(const std::filesystem::path& path, std::string_view text, std::string& reason)
{
    if (path.empty()) {
        reason = "no file name";
        return false;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        reason = "it is a directory";
        return false;
    }
    // A file is replaced, never appended to; a link is replaced by the file,
    // so a write never goes where the link points. A device is written as it is.
    if (::lstat(path.c_str(), &st) == 0 && (S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)) &&
        !RemoveReportFile(path)) {
        reason = std::strerror(errno);
        return false;
    }
    // Non-blocking, so that a FIFO without a reader fails instead of hanging.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0666);
    if (fd < 0) {
        reason = std::strerror(errno);
        return false;
    }
    int error = 0;
    while (!text.empty() && error == 0) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            error = n < 0 ? errno : EIO;
        else
            text.remove_prefix(static_cast<std::size_t>(n));
    }
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (error == 0 && regular && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0)
        return true;
    reason = std::strerror(error);
    if (regular)
        ::unlink(path.c_str());
    return false;
}

} // namespace dm
