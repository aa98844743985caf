#pragma once
// A profile file held in memory: the lines as they were read, indexed by
// section and key for case-insensitive lookup, with edits that touch only
// the lines they must. Loading a file and saving it again gives the same
// bytes; writing one value changes only that value's line.
//
// Reading follows ParseIni (common/iniparser.h). The first section of a
// name is the one read and written; within it, the first key of a name.
// Lists come in file order, each name once (in the spelling first seen).
//
// Encoding: a file that begins with a UTF-16 byte-order mark (as Windows'
// own tools may write it) is read as the UTF-16 text it holds and written
// back in UTF-16 of the same byte order; names and values are UTF-8 in
// memory either way. Any other file is taken byte for byte.
//
// Edits:
// - Write replaces a value in place, keeping the key's spelling and the text
//   up to the value; a new key goes after the last key of its section, a new
//   section at the end of the file. New lines end as the file's first line
//   ends (CRLF in a new file or one of a single line without an end); the
//   lines that are kept keep their ends.
// - The value is written as given (a caller that wants blanks at its ends
//   to survive encloses it in quotes); line breaks in it become blanks.
// - Names that would break the file's structure are refused: a section name
//   holding ']' or a line break; a key name that is empty, holds '=' or a
//   line break, or starts with '[' or ';'. Names are trimmed first.
// - DeleteKey removes every line of that key in the section; DeleteSection
//   removes every section of that name with all its lines.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/iniparser.h"

namespace dm {

class IniFile {
public:
    IniFile() = default;
    explicit IniFile(std::string_view text);

    // The file's text, every line with its end, in the file's encoding.
    std::string Text() const;
    enum class Encoding { Bytes, Utf16Le, Utf16Be };
    Encoding TextEncoding() const { return m_encoding; }
    LineEnd NewLineEnd() const { return m_newLineEnd; }
    bool Empty() const { return m_sections.empty() && m_preamble.empty(); }

    std::optional<std::string_view> Value(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const;
    std::vector<std::string> SectionNames() const;
    std::vector<std::string> KeyNames(std::string_view section) const;
    std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;

    // Each returns false when a name is refused; the file is unchanged then.
    bool Write(std::string_view section, std::string_view key, std::string_view value);
    bool DeleteKey(std::string_view section, std::string_view key);
    bool DeleteSection(std::string_view section);

    // True after an edit that changed the text.
    bool Modified() const { return m_modified; }
    // Marks the text as saved (Modified becomes false).
    void MarkSaved() { m_modified = false; }

    static bool IsValidSectionName(std::string_view section);
    static bool IsValidKeyName(std::string_view key);
    // The value as it is written: line breaks become blanks.
    static std::string SanitizeValue(std::string_view value);
    // The value enclosed in double quotes when it would not read back as
    // given otherwise (blanks at its ends, or an outer pair of quotes).
    static std::string QuoteForReadBack(std::string_view value);

private:
    struct Line {
        std::string text;
        LineEnd end = LineEnd::None;
        bool isKey = false;
    };
    struct Section {
        std::string name;
        std::vector<Line> lines; // lines[0] is the header
        std::unordered_map<std::string, std::size_t> keys; // lower-case name -> first line
        std::size_t lastKey = 0; // the last key line, or 0 (the header)
        void Reindex();
    };
    class Builder;

    const Section* FindSection(std::string_view section) const;
    Section* FindSection(std::string_view section);
    void EndLastLine();
    void ReindexSections();

    std::string m_bom;
    Encoding m_encoding = Encoding::Bytes;
    LineEnd m_newLineEnd = LineEnd::CrLf;
    std::vector<Line> m_preamble; // lines before the first section
    std::vector<Section> m_sections;
    std::unordered_map<std::string, std::size_t> m_sectionIndex; // lower-case name -> first
    bool m_modified = false;
};

} // namespace dm
