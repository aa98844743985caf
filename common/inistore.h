#pragma once
// Profile files on disk: a cache of parsed files and the one way to change
// a file.
//
// Reads go through a process-wide cache keyed by path and checked against
// the file's device, inode, size and modification time, so reading value
// after value from an unchanged file parses it once.
//
// Writes are safe for several processes and threads. Each write takes an
// exclusive lock on a separate lock file beside the file (".<name>.lock",
// the name in lower case, never replaced or removed), reads the file as it
// is at that moment, applies the edits, writes a temporary file in the same
// directory, flushes it to disk and renames it over the file. A reader
// therefore sees the old or the new file, never a half-written one, and two
// writers never lose each other's changes. The directory is never created.
// Each replace gives the file a modification time later than the one it
// replaces, so that no cache can mistake the new file for the old one.

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/inifile.h"

namespace dm {

// The parsed file, or null when it does not exist, is not a regular file or
// cannot be read.
std::shared_ptr<const IniFile> LoadIniFile(const std::filesystem::path& path);

// One locked read-modify-write. edit receives the current file (empty when
// it does not exist yet) and returns false to abandon the change. Returns
// false when edit refused, or the file could not be read, locked or written.
// Nothing is written when the edit changed nothing.
bool UpdateIniFile(const std::filesystem::path& path, const std::function<bool(IniFile&)>& edit);

// One section of a file that may hold many: through the cache when it holds
// the file, else the file is read and only that section's lines are parsed,
// the others' headers only looked at. Nothing when the file cannot be read
// or has no section of that name.
struct IniSectionCopy {
    std::string name; // as the file spells it
    std::vector<std::pair<std::string, std::string>> entries;
};
std::optional<IniSectionCopy> ReadIniSection(const std::filesystem::path& path, std::string_view section);

// Visits the sections whose names accepts takes (every section without it),
// the first of each name, in file order, with their entries: through the
// cache when it holds the file, else read a megabyte at a time and parsed a
// piece of whole sections at a time, so that reading all of a large file
// costs a piece's memory, not a model of the file. A read that starts again
// (a network file replaced meanwhile) visits no name twice. False when the
// file cannot be read; what was visited before a failure stays visited.
using IniSectionVisit =
    std::function<void(std::string_view name, const std::vector<IniFile::EntryView>& entries)>;
bool ForEachIniSection(const std::filesystem::path& path, const IniSectionVisit& visit,
                       const std::function<bool(std::string_view)>& accepts = {});

// UpdateIniFile for edits of one section alone (writes and key deletions in
// it): the same file results, but only that section is parsed and edited and
// the bytes around it are copied as they are (in the kernel), so that one
// section of a large file costs a copy of the file, not a model of it. The
// section is found by the cached index when it holds the file unedited,
// else by a look at the headers. A cached file stays cached, edited alike.
bool UpdateIniSection(const std::filesystem::path& path, std::string_view section,
                      const std::function<bool(IniFile&)>& edit);

// Reads a whole file into text; false when it is missing, not a regular
// file or unreadable.
bool ReadWholeFile(const std::filesystem::path& path, std::string& text);

// Forgets every cached file (tests, and programs that free memory).
void ClearIniCache();

} // namespace dm
