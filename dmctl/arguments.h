#pragma once
// The one way every dmctl subcommand reads its words, so that a script can
// pass any text as a value:
//
// - A word in a positional place is that positional value, whatever it
//   looks like: once the first positional word is given, the words up to
//   the last required one are positional ("dmctl ini set F S K --help"
//   writes the value "--help").
// - The word after an option that takes a value is that value.
// - After a list option ("--multi"), every word is an item of the list.
// - "--" ends the options: every later word is positional (or a list item),
//   so a value may begin with "--". It is itself dropped once.
// - Elsewhere a word starting with "-" is an option: "--help" (or "-h")
//   asks for help, a known option is taken, any other is an error.
// - "-" alone is a positional word (standard input, where a file is named).

#include "common/timeword.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace dmctl {

struct Syntax {
    std::size_t required = 0; // positional words that must be given
    std::size_t allowed = 0;  // at most this many (Unlimited: any number)
    std::set<std::string> valued; // options taking the next word as their value
    std::set<std::string> flags;  // options taking no value
    std::set<std::string> lists;  // options after which every word is a list item

    static constexpr std::size_t Unlimited = std::numeric_limits<std::size_t>::max();
};

struct Words {
    std::vector<std::string> positional;
    std::map<std::string, std::string> options; // a flag holds "1"; the last of a name counts
    std::string listOption;                     // the list option given, if any
    std::vector<std::string> list;              // its items
    bool help = false;                          // "--help" where an option may stand
    std::string error;                          // why the words do not fit, if they do not

    bool Has(const std::string& option) const { return options.count(option) != 0; }
    std::string Get(const std::string& option, const std::string& fallback = {}) const;
};

Words ParseWords(const std::vector<std::string>& words, const Syntax& syntax);

// True when the word asks for help ("--help" or "-h").
bool IsHelpWord(const std::string& word);

// What 'dmctl --help' says of the word TIME that many commands take.
extern const char kTimeWordHelp[];

// The value of a TIME option (see kTimeWordHelp) into time; empty on
// success, else the usage error, which names the option and the forms.
std::string ReadTime(const std::string& option, const std::string& text, std::uint32_t& time,
                     dm::DateAlone dateAlone = dm::DateAlone::StartOfDay);
// The window of --from TIME and --to TIME, a date alone in --to being its
// last second; empty on success, else the usage error.
std::string ReadTimeWindow(const std::string& fromText, const std::string& toText, std::uint32_t& from,
                           std::uint32_t& to);

} // namespace dmctl
