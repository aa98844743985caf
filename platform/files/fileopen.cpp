#include "platform/files/fileopen.h"

#include "platform/files/hosterror.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dm {

OpenedFile& OpenedFile::operator=(OpenedFile&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fd = other.m_fd;
        m_error = other.m_error;
        other.m_fd = -1;
    }
    return *this;
}

unsigned long OpenedFile::Close()
{
    if (m_fd < 0)
        return 0;
    const int result = ::close(m_fd);
    m_fd = -1;
    return result == 0 || errno == EINTR ? 0 : WinErrorOfErrno(errno);
}

OpenedFile OpenRegularFile(const std::filesystem::path& path, int flags, mode_t mode)
{
    if (const ResolvedPath confined = ConfineToNetwork(path); !confined.ok())
        return {-1, confined.error};
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, mode);
    if (fd < 0) {
        // A FIFO without a reader refuses a non-blocking writer with ENXIO.
        const int error = errno;
        return {-1, error == ENXIO ? winerr::AccessDenied
                    : error == ENOENT && !(flags & O_CREAT) ? winerr::FileNotFound
                                                            : WinErrorOfErrno(error)};
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return {-1, winerr::AccessDenied};
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status != -1)
        ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    return {fd, 0};
}

int WriteAllTo(int fd, std::string_view text)
{
    const char* data = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += written;
        left -= static_cast<std::size_t>(written);
    }
    return 0;
}

unsigned long AppendToFile(const std::filesystem::path& path, std::string_view text)
{
    OpenedFile file = OpenRegularFile(path, O_WRONLY | O_CREAT | O_APPEND);
    if (!file.ok())
        return file.error();
    ssize_t written;
    do
        written = ::write(file.fd(), text.data(), text.size());
    while (written < 0 && errno == EINTR);
    if (written < 0)
        return WinErrorOfErrno(errno);
    if (static_cast<std::size_t>(written) != text.size())
        return 112; // ERROR_DISK_FULL: only part of the text was stored
    return file.Close();
}

unsigned long CheckReadable(const std::filesystem::path& path)
{
    if (const ResolvedPath confined = ConfineToNetwork(path); !confined.ok())
        return confined.error;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? winerr::FileNotFound : WinErrorOfErrno(errno);
    if (!S_ISREG(st.st_mode) || ::access(path.c_str(), R_OK) != 0)
        return winerr::AccessDenied;
    return 0;
}

std::string ReadProblem(unsigned long error)
{
    switch (error) {
    case winerr::FileNotFound: return "the file does not exist";
    case winerr::PathNotFound: return "its directory does not exist";
    case winerr::AccessDenied: return "it is not a regular file or may not be read";
    case 161: return "its path leads out of the network";
    default: return "error " + std::to_string(error) + " (" + WinErrorName(error) + ")";
    }
}

unsigned long ReadRegularFile(const std::filesystem::path& path, std::string& text)
{
    text.clear();
    OpenedFile file = OpenRegularFile(path, O_RDONLY);
    if (!file.ok())
        return file.error();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.fd(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return WinErrorOfErrno(errno);
        if (n == 0)
            return 0;
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

} // namespace dm
