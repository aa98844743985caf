#pragma once
// Small text jobs every layer needs, done one way: trimming, ASCII case
// folding and comparison, splitting and joining lists.
//
// Case folding is ASCII only and never follows the C locale: names of
// sections, keys, accounts, computers and files compare the same way in
// every program whatever LC_CTYPE says, and bytes of UTF-8 text stay as
// they are.

#include <string>
#include <string_view>
#include <vector>

namespace dm {

// Removes blanks and tabs at both ends, or at the start or the end only
// (line ends and other white space stay).
std::string_view TrimBlanks(std::string_view text);
std::string_view TrimLeadingBlanks(std::string_view text);
std::string_view TrimTrailingBlanks(std::string_view text);

constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
constexpr char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
std::string LowerAscii(std::string_view text);
std::string UpperAscii(std::string_view text);

// Comparison without regard to ASCII case. CompareNoCase is <0, 0 or >0 as
// a sorts before, with or after b, by bytes of the lower-case forms.
bool EqualNoCase(std::string_view a, std::string_view b);
int CompareNoCase(std::string_view a, std::string_view b);
inline bool LessNoCase(std::string_view a, std::string_view b) { return CompareNoCase(a, b) < 0; }
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::string_view text, std::string_view suffix);

// Every piece between separators, empty ones included: "a,,b" gives "a",
// "", "b"; "" gives one empty piece. The pieces point into text.
std::vector<std::string_view> SplitText(std::string_view text, char separator);
// A list as people and the files write it: the pieces trimmed of blanks,
// empty ones left out. "a, b,,c " gives "a", "b", "c"; "" gives none.
std::vector<std::string> SplitList(std::string_view text, char separator = ',');
// The items with separator between them, none before the first or after
// the last.
std::string JoinText(const std::vector<std::string>& items, std::string_view separator);

} // namespace dm
