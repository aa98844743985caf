#pragma once
// A file written whole or not at all: the text goes into a temporary file
// beside the destination, which takes the destination's name only when
// every byte was written and flushed. Until Commit succeeds the destination
// stays as it was (or absent); an abandoned or failed replacement removes
// its temporary file.
//
// Open refuses a destination that exists but is no regular file (a
// directory, a FIFO, a device): it is never opened, so a FIFO cannot block
// the writer and a directory is never replaced.
//
// Errors are errno values, for the caller to word as its messages do.

#include <filesystem>
#include <string>
#include <string_view>

namespace dm {

class ReplacementFile {
public:
    ReplacementFile() = default;
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Creates the temporary file beside path: 0 or the errno of the failure.
    int Open(const std::filesystem::path& path);
    // Keeps text for the file; written at Commit.
    void Append(std::string_view text) { m_text.append(text); }
    // Writes, flushes and renames over the destination: 0 or the errno of
    // the step that failed (then the destination is untouched).
    int Commit();
    // Removes the temporary file; the destination is untouched.
    void Abandon();

private:
    std::filesystem::path m_path;
    std::string m_temp;
    std::string m_text;
    int m_fd = -1;
};

} // namespace dm
