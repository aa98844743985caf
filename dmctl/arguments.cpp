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
