#pragma once
// Splitting a command line into arguments by the platform's rules, so that a
// program started from a command line gets exactly the arguments a program
// there would get, and no shell ever sees the text:
//
// - Arguments are separated by blanks and tabs.
// - The program name (the first argument) ends at the first blank, or, when
//   it begins with a double quote, at the next double quote; backslashes
//   are plain characters in it.
// - In the other arguments a double quote starts or ends a quoted part in
//   which blanks are kept; "" inside a quoted part is one literal quote.
//   2n backslashes before a quote become n backslashes and the quote is a
//   delimiter; 2n+1 backslashes before a quote become n backslashes and a
//   literal quote. Backslashes not before a quote are plain characters.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

struct CommandArgument {
    std::string text;       // the argument as the program receives it
    std::size_t begin = 0;  // where it starts in the command line
    std::size_t end = 0;    // one past where it ends in the command line
};

std::vector<CommandArgument> ParseCommandLine(std::string_view commandLine);
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

} // namespace dm
