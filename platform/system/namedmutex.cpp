#include "platform/system/namedmutex.h"

#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace dm {

// The state all handles of one name in this process share.
struct NamedMutex::Shared {
    std::mutex mutex;
    std::condition_variable released;
    std::thread::id owner;
    unsigned long count = 0;
    int fd = -1;
    pid_t process = 0;

    ~Shared()
    {
        if (fd >= 0)
            ::close(fd); // releases the file lock too
    }
};

namespace {

std::mutex& MutexTableLock()
{
    static std::mutex mutex;
    return mutex;
}

std::map<std::string, std::weak_ptr<NamedMutex::Shared>>& MutexTable()
{
    static std::map<std::string, std::weak_ptr<NamedMutex::Shared>> table;
    return table;
}

std::string FileSafe(std::string_view name)
{
    std::string safe;
    for (char c : name)
        safe += (c == '/' || c == '\\' || c == '\0') ? '_' : c;
    return safe;
}

bool TryFileLock(int fd)
{
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

} // namespace

std::string NamedMutex::LockFilePath(std::string_view name)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0')
        return std::string(runtime) + "/dialminder-" + FileSafe(name) + ".lock";
    return "/tmp/dialminder-" + std::to_string(::getuid()) + "-" + FileSafe(name) + ".lock";
}

NamedMutex::NamedMutex(std::string_view name) : m_name(name)
{
    std::lock_guard<std::mutex> lock(MutexTableLock());
    auto& slot = MutexTable()[m_name];
    m_shared = slot.lock();
    // A child of fork() must not share its parent's lock file description.
    if (!m_shared || m_shared->process != ::getpid()) {
        m_shared = std::make_shared<Shared>();
        m_shared->process = ::getpid();
        m_shared->fd = ::open(LockFilePath(m_name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        slot = m_shared;
    }
}

NamedMutex::~NamedMutex() = default;

bool NamedMutex::IsValid() const
{
    return m_shared->fd >= 0;
}

NamedMutex::WaitResult NamedMutex::Wait(std::optional<std::chrono::milliseconds> timeout)
{
    Shared& s = *m_shared;
    if (s.fd < 0)
        return WaitResult::Failed;
    const auto me = std::this_thread::get_id();
    const auto deadline = std::chrono::steady_clock::now() + timeout.value_or(std::chrono::milliseconds(0));
    {
        std::unique_lock<std::mutex> lock(s.mutex);
        if (s.count > 0 && s.owner == me) {
            ++s.count;
            return WaitResult::Acquired;
        }
        auto free = [&] { return s.count == 0; };
        if (!timeout)
            s.released.wait(lock, free);
        else if (!s.released.wait_until(lock, deadline, free))
            return WaitResult::TimedOut;
        // This thread is the process's candidate; the others wait above.
        s.owner = me;
        s.count = 1;
    }
    bool locked = false;
    if (!timeout) {
        while (!(locked = ::flock(s.fd, LOCK_EX) == 0) && errno == EINTR) {
        }
    } else {
        while (!(locked = TryFileLock(s.fd)) && (errno == EWOULDBLOCK || errno == EINTR) &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (locked)
        return WaitResult::Acquired;
    const bool timedOut = errno == EWOULDBLOCK || errno == EINTR;
    std::lock_guard<std::mutex> lock(s.mutex);
    s.owner = {};
    s.count = 0;
    s.released.notify_one();
    return timedOut ? WaitResult::TimedOut : WaitResult::Failed;
}

bool NamedMutex::Release()
{
    Shared& s = *m_shared;
    std::lock_guard<std::mutex> lock(s.mutex);
    if (s.count == 0 || s.owner != std::this_thread::get_id())
        return false;
    if (--s.count == 0) {
        ::flock(s.fd, LOCK_UN);
        s.owner = {};
        s.released.notify_one();
    }
    return true;
}

} // namespace dm
