#pragma once
// The profile-file operations every program and dmsim use on the database
// files, with the semantics all readers and writers agree on:
//
// - Section and key names compare without regard to case; the first section
//   or key of a name is the one read; lists come in file order.
// - Names and values are trimmed of blanks and tabs; one outer pair of
//   matching quotes (" or ') is removed from a value; ';' starts a comment
//   line; lines without '=' are not keys; text before the first section is
//   ignored; a section name ends at the first ']'.
// - A missing file, section or key gives the default; a missing file or one
//   without sections lists nothing. Numbers read with atoi rules.
// - A write creates the file (never the directory), appends a new section at
//   the end and a new key at the end of its section, replaces a value in
//   place keeping the key's spelling, and keeps every other line.
// - Reads accept CRLF, LF and CR; a write keeps the file's line ends (CRLF
//   in a new file). A file that begins with a UTF-16 byte-order mark is read
//   as its text and written back in UTF-16.
// - Every write is a read-modify-write under an exclusive lock on a separate
//   lock file, and replaces the file atomically. Parsed files are cached by
//   path, size and modification time.
// - Line breaks in a value become blanks; a section name with ']' or a line
//   break, or a key name with '=' or a line break, is refused (returns false).
//
// File names are system paths ("\\MASTER\DM_NT_DB\Dialmind.hw",
// "C:\Dialmind\LogData\1997-Mar-04.log", "dmscript.dat") resolved by
// ResolvePath (platform/files/pathresolver.h).

#include "common/inistore.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace dm {

class IniFile;

// Read value. capacity 0 means no cut; otherwise the value is cut to
// capacity - 1 bytes, as for texts with a visible limit.
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, std::string_view file,
                                    std::size_t capacity = 0);
int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         std::string_view file);
// The same read from one of the emulated network's own files (a computer's
// machine.ini or services.ini), which the network always writes under that
// exact host path: nothing is resolved, so a check made on every call costs
// one stat while the file is unchanged.
int GetNetworkFileInt(std::string_view section, std::string_view key, int defaultValue,
                      const std::filesystem::path& file);

// List sections / list keys: whole lists, never cut; empty when there is
// nothing to load.
std::vector<std::string> GetPrivateProfileSectionNames(std::string_view file);
std::vector<std::string> GetPrivateProfileKeyNames(std::string_view section,
                                                   std::string_view file);
// All keys of one section with their values, in file order.
std::vector<std::pair<std::string, std::string>>
GetPrivateProfileSection(std::string_view section, std::string_view file);
// One section of a file that may hold many (an account of Dialmind.usr): its
// keys as GetPrivateProfileSection gives them, nothing when the file has no
// section of that name. A file not yet parsed is not parsed whole for it.
std::optional<IniSectionCopy> ReadPrivateProfileSection(std::string_view section, std::string_view file);
// Visits the sections whose names accepts takes (every section without it),
// in file order, reading the file a piece at a time when it is not parsed
// already (see ForEachIniSection). False when it cannot be read.
bool ForEachPrivateProfileSection(const std::function<bool(std::string_view)>& accepts,
                                  const IniSectionVisit& visit, std::string_view file);
// The whole file as the store holds it parsed (null when there is nothing to
// load), for reading many sections: the name is resolved and the file
// examined once instead of once per section.
std::shared_ptr<const IniFile> LoadPrivateProfile(std::string_view file);

// Whether a profile file named by its system path can be read: 0 when it
// can, 2 when it does not exist, else the error (5 for a file that exists
// but cannot be read or is no regular file; 53, 67, 161 from the resolver).
// The reads above take such a file for a missing one; a command that must
// not answer from nothing asks here first.
unsigned long CheckProfileFile(std::string_view file);

// Write value / delete key / delete section. False when the file cannot be
// written or a name would break the file's structure.
bool WritePrivateProfileString(std::string_view section, std::string_view key,
                               std::string_view value, std::string_view file);
bool DeletePrivateProfileKey(std::string_view section, std::string_view key,
                             std::string_view file);
bool DeletePrivateProfileSection(std::string_view section, std::string_view file);

// The read of the user's own profile: win.ini in the local computer's
// Windows directory (section "windows", key "device" names the printer).
std::string GetProfileString(std::string_view section, std::string_view key,
                             std::string_view defaultValue, std::size_t capacity = 0);

// Many edits of one file, one locked read-modify-write and one replace.
// Edits apply in order on Commit, against the file as it is at that moment.
class ProfileBatch {
public:
    explicit ProfileBatch(std::string_view file);
    void Write(std::string_view section, std::string_view key, std::string_view value);
    void DeleteKey(std::string_view section, std::string_view key);
    void DeleteSection(std::string_view section);
    // False when nothing could be written or any name was refused (then nothing is written).
    bool Commit();
    std::size_t Size() const { return m_edits.size(); }

private:
    struct Edit {
        enum Kind { Write, DeleteKey, DeleteSection } kind;
        std::string section, key, value;
    };
    std::string m_file;
    std::vector<Edit> m_edits;
};

} // namespace dm
