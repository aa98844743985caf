#include "dmctl/arguments.h"

namespace dmctl {

std::string Words::Get(const std::string& option, const std::string& fallback) const
{
    auto it = options.find(option);
    return it == options.end() ? fallback : it->second;
}

bool IsHelpWord(const std::string& word)
{
    return word == "--help" || word == "-h";
}

const char kTimeWordHelp[] =
    "TIME, wherever a command takes it, is seconds since 1970 (as the files and the\n"
    "--csv outputs hold times) or a local date and time \"YYYY-MM-DD[ HH:MM[:SS]]\",\n"
    "e.g. 881327047 or \"1997-12-05 14:04\". A date alone is the first second of that\n"
    "day, or its last where it ends a window (--to). Dates not on the calendar and\n"
    "times before 1970 or after 2106 are refused.\n";

std::string ReadTime(const std::string& option, const std::string& text, std::uint32_t& time,
                     dm::DateAlone dateAlone)
{
    const std::optional<std::uint32_t> value = dm::ParseTimeWord(text, dateAlone);
    if (!value)
        return option + ": '" + text + "' is no time (seconds since 1970 or \"YYYY-MM-DD[ HH:MM[:SS]]\")";
    time = *value;
    return {};
}

std::string ReadTimeWindow(const std::string& fromText, const std::string& toText, std::uint32_t& from,
                           std::uint32_t& to)
{
    std::string error = ReadTime("--from", fromText, from);
    return error.empty() ? ReadTime("--to", toText, to, dm::DateAlone::EndOfDay) : error;
}

Words ParseWords(const std::vector<std::string>& words, const Syntax& syntax)
{
    Words result;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word == "--" && !optionsEnded) {
            optionsEnded = true;
            continue;
        }
        if (!result.listOption.empty()) {
            result.list.push_back(word);
            continue;
        }
        const std::size_t given = result.positional.size();
        const bool positionalPlace = optionsEnded || (given > 0 && given < syntax.required);
        const bool looksLikeOption = word.size() > 1 && word[0] == '-';
        if (positionalPlace || !looksLikeOption) {
            if (given >= syntax.allowed) {
                result.error = "unexpected argument '" + word + "'";
                return result;
            }
            result.positional.push_back(word);
            continue;
        }
        if (IsHelpWord(word)) {
            result.help = true;
            return result;
        }
        if (syntax.flags.count(word) != 0) {
            result.options[word] = "1";
        } else if (syntax.lists.count(word) != 0) {
            result.listOption = word;
        } else if (syntax.valued.count(word) != 0) {
            if (i + 1 >= words.size()) {
                result.error = word + " needs a value";
                return result;
            }
            result.options[word] = words[++i];
        } else {
            result.error = "unknown option '" + word + "'";
            return result;
        }
    }
    if (result.positional.size() < syntax.required)
        result.error = "missing arguments";
    return result;
}

} // namespace dmctl
