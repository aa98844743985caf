#pragma once
// The one open for the files the programs read, write and append to outside
// the profile store (request queues, message logs, installed files, logs):
//
// - A path inside the network root whose links lead out of it fails with
//   161 and nothing is opened or created (ConfineToNetwork).
// - Only a regular file is opened. A FIFO, a device, a socket or a
//   directory fails with 5 at once: the open never waits for a peer
//   (O_NONBLOCK), and fstat tells what was opened. The descriptor returned
//   blocks again like any regular file's.
// - Errors are Windows error numbers (platform/files/hosterror.h).

#include <filesystem>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace dm {

// An open descriptor, closed when it goes out of scope.
class OpenedFile {
public:
    OpenedFile() = default;
    OpenedFile(int fd, unsigned long error) : m_fd(fd), m_error(error) {}
    ~OpenedFile() { Close(); }
    OpenedFile(OpenedFile&& other) noexcept : m_fd(other.m_fd), m_error(other.m_error) { other.m_fd = -1; }
    OpenedFile& operator=(OpenedFile&& other) noexcept;
    OpenedFile(const OpenedFile&) = delete;
    OpenedFile& operator=(const OpenedFile&) = delete;

    bool ok() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    unsigned long error() const { return m_error; }
    // Closes now; the error of close (a write that could not be stored), or 0.
    unsigned long Close();

private:
    int m_fd = -1;
    unsigned long m_error = 0;
};

// Opens path with the given open(2) flags (O_CLOEXEC is always added).
OpenedFile OpenRegularFile(const std::filesystem::path& path, int flags, mode_t mode = 0644);

// Writes all of text to fd, going on after short writes and EINTR; 0 or
// the errno of the write that failed.
int WriteAllTo(int fd, std::string_view text);

// Appends text with one write under O_APPEND, creating the file, so that
// the lines of several writers never interleave. 0 or the error: the text
// counts as delivered only when all of it was written and the file closed.
unsigned long AppendToFile(const std::filesystem::path& path, std::string_view text);

// The whole file; 0, 2 when it does not exist, or the error (5 for one that
// is not a regular file or cannot be read).
unsigned long ReadRegularFile(const std::filesystem::path& path, std::string& text);

// Whether a file can be read, without opening it: 0 for a readable regular
// file, 2 when nothing of that name exists, 5 for one that exists but is no
// regular file or may not be read, 161 for a link out of the network. A file
// that exists but cannot be read is an error wherever it is read, never an
// empty or missing one.
unsigned long CheckReadable(const std::filesystem::path& path);

// Why a file could not be read, in words for a message, from the error of
// CheckReadable or ReadRegularFile: "the file does not exist", "it is not a
// regular file or may not be read", "its path leads out of the network", or
// the error's number and name.
std::string ReadProblem(unsigned long error);

} // namespace dm
