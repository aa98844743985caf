#include "platform/files/replacementfile.h"

#include "platform/files/fileopen.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dm {

ReplacementFile::~ReplacementFile() { Abandon(); }

int ReplacementFile::Open(const std::filesystem::path& path)
{
    Abandon();
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return S_ISDIR(st.st_mode) ? EISDIR : EACCES;
    std::string temp = path.string() + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;
    m_path = path;
    m_temp = std::move(temp);
    m_fd = fd;
    m_text.clear();
    return 0;
}

int ReplacementFile::Commit()
{
    if (m_fd < 0)
        return EBADF;
    int error = WriteAllTo(m_fd, m_text);
    // A replaced file keeps its mode; a new one is readable by others, as
    // the umask allows.
    struct stat old {};
    if (error == 0) {
        mode_t mode;
        if (::stat(m_path.c_str(), &old) == 0) {
            mode = old.st_mode & 07777;
        } else {
            const mode_t mask = ::umask(0);
            ::umask(mask);
            mode = 0666 & ~mask;
        }
        if (::fchmod(m_fd, mode) != 0)
            error = errno;
    }
    if (error == 0 && ::fsync(m_fd) != 0)
        error = errno;
    if (::close(m_fd) != 0 && error == 0)
        error = errno;
    m_fd = -1;
    if (error == 0 && ::rename(m_temp.c_str(), m_path.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(m_temp.c_str());
    m_temp.clear();
    m_text.clear();
    return error;
}

void ReplacementFile::Abandon()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
    m_temp.clear();
    m_text.clear();
}

} // namespace dm
