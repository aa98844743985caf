#pragma once
// The report intermediate file dmtemp.dat, built in memory and written once.
//
// It is a profile file held in memory (common/inifile.h), so it matches
// names as the profile operations do: sections and keys without regard to
// letter case and surrounding blanks, a new section at the end of the file
// and a new key at the end of its section, the first spelling kept, names
// that would break the file refused. Writing it once therefore leaves
// exactly the file that per-record profile reads and writes would have left.

#include "common/inifile.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace dm {

class ReportIntermediate {
public:
    // False when the name cannot be written (nothing changes then).
    bool Set(std::string_view section, std::string_view key, std::string_view value)
    {
        return m_file.Write(section, key, value);
    }
    // The file's text: "[Section]" and "key=value" lines with CRLF ends.
    std::string Text() const { return m_file.Text(); }
    // Replaces `path` with the file in one locked, atomic write.
    bool WriteFile(const std::filesystem::path& path) const;

    static bool IsWritableKey(std::string_view name) { return IniFile::IsValidKeyName(name); }

private:
    IniFile m_file;
};

// A name as the profile operations match it: trimmed, ASCII lower case.
std::string FoldProfileName(std::string_view name);

} // namespace dm
