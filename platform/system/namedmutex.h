#pragma once
// A named mutex as the platform has it: owned by one thread at a time,
// recursive for the owning thread (each wait needs its release), and the
// same object for every handle of that name in every process of this user.
//
// Across processes the mutex is an flock on the lock file
// $XDG_RUNTIME_DIR/dialminder-<name>.lock (/tmp/dialminder-<uid>-<name>.lock
// when XDG_RUNTIME_DIR is unset), so two managers on one machine serialise,
// and a holder that dies - killed or crashed - releases it with its open
// files: the next waiter never blocks on a dead holder. Within a process the
// threads queue on a condition variable before the one that wins takes the
// file lock. The lock file is never removed (removing it would let a
// waiter lock a file nobody else sees).

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace dm {

class NamedMutex {
public:
    // Opens (or creates) the mutex of that name, not owned.
    explicit NamedMutex(std::string_view name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // False when the lock file could not be opened; waits then fail.
    bool IsValid() const;
    const std::string& Name() const { return m_name; }

    enum class WaitResult { Acquired, TimedOut, Failed };
    // Waits for ownership; no time-out waits without limit.
    WaitResult Wait(std::optional<std::chrono::milliseconds> timeout = std::nullopt);
    bool Lock() { return Wait() == WaitResult::Acquired; }
    // Gives up one level of ownership; false when the calling thread does not own it.
    bool Release();

    // The lock file used for a name.
    static std::string LockFilePath(std::string_view name);

    struct Shared;

private:
    std::string m_name;
    std::shared_ptr<Shared> m_shared;
};

// Holds a mutex for a scope (waits without limit).
class NamedMutexLock {
public:
    explicit NamedMutexLock(NamedMutex& mutex) : m_mutex(mutex), m_owned(mutex.Lock()) {}
    ~NamedMutexLock()
    {
        if (m_owned)
            m_mutex.Release();
    }
    NamedMutexLock(const NamedMutexLock&) = delete;
    NamedMutexLock& operator=(const NamedMutexLock&) = delete;
    bool Owned() const { return m_owned; }

private:
    NamedMutex& m_mutex;
    bool m_owned;
};

} // namespace dm
