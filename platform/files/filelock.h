#pragma once
// The write discipline of the network's files: a writer holds an exclusive
// lock on a separate lock file (".<name>.lock" beside the file, the name in
// lower case, as the profile files have it) for the whole
// read-modify-write, and replaces the file atomically (temporary file in the
// same directory, flush, rename), so a reader never sees a half-written file
// and two writers never lose each other's changes. The lock is an flock on
// an open file description, so it serialises threads as well as processes,
// and a writer that dies releases it.

#include <filesystem>
#include <string_view>

namespace dm {

class FileLock {
public:
    // Blocks until the lock on the file's lock file is held. The lock file is
    // created when missing; when it cannot be opened, IsHeld() is false.
    explicit FileLock(const std::filesystem::path& file);
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    bool IsHeld() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// The lock file of a file: ".registry.reg.lock" for "registry.reg".
std::filesystem::path LockFileOf(const std::filesystem::path& file);

// Writes contents to a temporary file beside path, flushes it and renames it
// over path. Returns 0 or the errno of the step that failed (the temporary
// file is removed then).
int ReplaceFileAtomically(const std::filesystem::path& path, std::string_view contents);

} // namespace dm
