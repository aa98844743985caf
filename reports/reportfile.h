#pragma once
// The files a report run writes and deletes in the working directory or
// wherever the caller points: the comma-separated report and dmtemp.dat.
//
// Only files are deleted: a directory (or anything that is not a regular
// file or a link) named where a report file belongs is never removed.

#include <filesystem>
#include <string>
#include <string_view>

namespace dm {

// Deletes a regular file or a symbolic link (not its target); a missing
// path is no error. False when something else is there or it stays.
bool RemoveReportFile(const std::filesystem::path& path);

// Replaces the file at path with text, created anew: every write, the flush
// to disk and the close are checked. False with a reason ("it is a
// directory", "No space left on device") when the file could not be written
// whole; a regular file left half-written is removed then.
bool WriteReportFile(const std::filesystem::path& path, std::string_view text, std::string& reason);

} // namespace dm
