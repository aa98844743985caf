#pragma once
// A parser for profile (initialization) files that stores nothing: it walks
// the text once and calls a handler for every line, classified as a section
// header, a key line or any other line.
//
// Rules every reader and writer of the database agrees on:
// - Lines end with CRLF, LF or CR; the last line may have no end.
// - A UTF-8 byte-order mark at the very start is skipped.
// - Names and values are trimmed of blanks and tabs.
// - A line whose first non-blank character is ';' is a comment.
// - A line whose first non-blank character is '[' is a section header; the
//   name ends at the first ']' (or at the end of the line when there is none).
// - Inside a section, a line holding '=' is a key line: the key is the text
//   before the first '=', the value the text after it. One outer pair of
//   matching quotes (" or ') is removed from the value after trimming. A line
//   whose key is empty is not a key.
// - Lines before the first section are never keys.
// Any byte (NUL, binary, non-ASCII) is ordinary text; lines may be of any
// length. Parsing cannot fail.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dm {

// The way a line ends in the file.
enum class LineEnd : unsigned char { None, CrLf, Lf, Cr };

std::string_view LineEndText(LineEnd end);

struct IniLine {
    std::string_view text; // the line without its end
    LineEnd end = LineEnd::None;
    std::size_t number = 0; // 0-based line number
};

class IniHandler {
public:
    virtual ~IniHandler() = default;
    // Each returns false to stop the parse.
    virtual bool OnSection(std::string_view /*name*/, const IniLine& /*line*/) { return true; }
    virtual bool OnKey(std::string_view /*key*/, std::string_view /*value*/, const IniLine& /*line*/)
    {
        return true;
    }
    // Comments, blank lines, lines without '=', anything before the first section.
    virtual bool OnOther(const IniLine& /*line*/) { return true; }
};

// The byte-order mark that a file may start with.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Parses text (including a leading byte-order mark, which is skipped).
void ParseIni(std::string_view text, IniHandler& handler);

// Removes one outer pair of matching quotes (" or ').
std::string_view RemoveOuterQuotes(std::string_view text);

// How one line reads. For a Key line, name and value are set; for a Section
// line, name is set.
struct IniLineKind {
    enum Kind { Other, Section, Key } kind = Other;
    std::string_view name;
    std::string_view value;
};
// Classifies one line without its end; inSection tells whether a section
// header came before it.
IniLineKind ClassifyIniLine(std::string_view line, bool inSection);

} // namespace dm
