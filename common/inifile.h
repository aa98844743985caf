#pragma once
// A profile file held in memory: the text as it was read in one buffer, its
// sections found by their header lines and indexed by name for
// case-insensitive lookup; keys are read from a section's lines when asked
// for. An edit gives only the section it touches lines of its own, so a file
// of many sections costs little more than its text, and edits touch only
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
#include <cstdint>
#include <functional>
#include <memory>
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
    // The same, taking the text without copying it.
    static IniFile Adopt(std::string&& text);

    // The file's text, every line with its end, in the file's encoding.
    std::string Text() const;
    enum class Encoding { Bytes, Utf16Le, Utf16Be };
    Encoding TextEncoding() const { return m_encoding; }
    LineEnd NewLineEnd() const { return m_newLineEnd; }
    bool Empty() const { return m_live == 0 && m_preamble.empty(); }

    std::optional<std::string_view> Value(std::string_view section, std::string_view key) const;
    bool HasSection(std::string_view section) const;
    // The name of the section read for section, as the file spells it.
    std::optional<std::string_view> SectionNamed(std::string_view section) const;
    std::vector<std::string> SectionNames() const;
    std::vector<std::string> KeyNames(std::string_view section) const;
    std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const;
    // Every section that SectionNames lists, in file order, with what
    // Entries gives for it, as views into the file: for reading many
    // sections in one pass without a copy of each. The views are valid until
    // the next edit.
    using EntryView = std::pair<std::string_view, std::string_view>;
    // With accepts, only the sections whose name it accepts are read and visited.
    void ForEachSection(
        const std::function<void(std::string_view name, const std::vector<EntryView>& entries)>& visit,
        const std::function<bool(std::string_view name)>& accepts = {}) const;
    // The names SectionNames lists, as views.
    void ForEachSectionName(const std::function<void(std::string_view name)>& visit) const;

    // Each returns false when a name is refused; the file is unchanged then.
    bool Write(std::string_view section, std::string_view key, std::string_view value);
    bool DeleteKey(std::string_view section, std::string_view key);
    bool DeleteSection(std::string_view section);

    // True after an edit that changed the text.
    bool Modified() const { return m_modified; }
    // Marks the text as saved (Modified becomes false).
    void MarkSaved() { m_modified = false; }

    // Where the first section of a name lies in a file's text (a file of
    // single bytes): from its header line up to the next header line or the
    // end, found by looking at header lines alone.
    static std::optional<std::pair<std::size_t, std::size_t>> FindSectionBytes(std::string_view text,
                                                                               std::string_view section);
    // Where the section read for section lies in the file's bytes, from its
    // header line to the next header (or the end), while the file holds no
    // edit (and is no UTF-16 text); nothing otherwise.
    std::optional<std::pair<std::size_t, std::size_t>> SourceRange(std::string_view section) const;
    // Calls found with each header line's start and the section name it
    // gives, in text from from on (from counts as the start of a line);
    // found returns false to stop.
    static void ScanHeaders(std::string_view text, std::size_t from,
                            const std::function<bool(std::size_t lineStart, std::string_view name)>& found);
    // How the first line of text that has an end ends (None when no line does).
    static LineEnd FirstLineEnd(std::string_view text);
    // Sets how added lines end: a piece of a larger file ends them as the
    // whole file does.
    void SetNewLineEnd(LineEnd end) { m_newLineEnd = end; }

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
    // A section that was edited or added: its lines, indexed by key.
    struct EditedSection {
        std::string name;
        std::vector<Line> lines; // lines[0] is the header
        std::unordered_map<std::string, std::size_t> keys; // lower-case name -> first line
        std::size_t lastKey = 0; // the last key line, or 0 (the header)
        void Reindex();
    };
    // A section as the file holds it: its bytes in the text as read, from
    // its header line up to the next header (or the end), until an edit
    // gives it lines of its own.
    struct Section {
        std::size_t begin = 0;
        std::size_t end = 0;
        std::uint32_t nameOffset = 0; // the name within the header line
        std::uint32_t nameLength = 0;
        std::int32_t edited = -1;     // index in m_edited, or -1
        bool removed = false;
        bool repeated = false;        // an earlier live section has its name
    };
    static constexpr std::uint32_t kNoSection = 0xFFFFFFFFu;

    void Parse(std::string&& text);
    std::string_view SectionName(const Section& section) const;
    std::string_view SourceOf(const Section& section) const;
    // The first live section of a name, or null.
    const Section* FindSection(std::string_view section) const;
    Section* FindSection(std::string_view section);
    // The first key line of each name, as Entries gives them.
    void EntriesOf(const Section& section, std::vector<EntryView>& entries) const;
    // The key line of an unedited section (without its end), or nothing.
    std::optional<std::string_view> FindKeyLine(const Section& section, std::string_view key) const;
    EditedSection& Edit(Section& section);
    void EndLastLine();
    // The index: open addressing over section numbers, hashed by the name
    // without regard to case; a slot names the first section of a name.
    static std::uint64_t HashName(std::string_view name);
    std::size_t SlotOf(std::string_view name, std::uint64_t hash) const;
    void IndexSection(std::uint32_t number);
    void Reindex();

    std::string m_bom;
    Encoding m_encoding = Encoding::Bytes;
    LineEnd m_newLineEnd = LineEnd::CrLf;
    // The text as read (after the byte-order mark), shared by copies.
    std::shared_ptr<const std::string> m_source;
    std::size_t m_bodyBegin = 0;
    std::vector<Line> m_preamble; // lines before the first section
    std::vector<Section> m_sections;
    std::vector<EditedSection> m_edited;
    struct Slot {
        std::uint32_t number = kNoSection; // kNoSection when free
        std::uint32_t hash = 0;
    };
    std::vector<Slot> m_slots;
    std::size_t m_live = 0;             // sections not removed
    bool m_modified = false;
};

} // namespace dm
