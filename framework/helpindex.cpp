#include "framework/helpindex.h"

#include "common/text.h"

#include <algorithm>
#include <fstream>
#include <sstream>

namespace dm {

namespace {

namespace fs = std::filesystem;

std::string Lower(std::string_view text)
{
    return LowerAscii(text);
}

bool HoldsEveryWord(const std::string& haystack, const std::vector<std::string>& words)
{
    return std::all_of(words.begin(), words.end(),
                       [&haystack](const std::string& word) { return haystack.find(word) != std::string::npos; });
}

std::string DecodeEntities(std::string_view text)
{
    static const std::pair<std::string_view, char> entities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&nbsp;", ' '}, {"&#39;", '\''}};
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        if (text[i] == '&') {
            for (const auto& [name, c] : entities) {
                if (text.substr(i, name.size()) == name) {
                    out += c;
                    i += name.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced)
            out += text[i++];
    }
    return out;
}

} // namespace

bool HelpIndex::Load(const fs::path& directory)
{
    std::error_code ec;
    fs::directory_iterator it(directory, ec);
    if (ec)
        return false;
    for (const fs::directory_entry& entry : it) {
        if (!entry.is_regular_file(ec) || entry.path().extension() != ".html")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::ostringstream html;
        html << in.rdbuf();
        Add({entry.path().filename().string(), TitleOf(html.str()), PlainText(html.str())});
    }
    return true;
}

void HelpIndex::Add(HelpPage page)
{
    auto at = std::lower_bound(m_pages.begin(), m_pages.end(), page, [](const HelpPage& a, const HelpPage& b) {
        return LessNoCase(a.title, b.title);
    });
    m_pages.insert(at, std::move(page));
}

std::vector<const HelpPage*> HelpIndex::Search(std::string_view query) const
{
    std::vector<std::string> words;
    for (const std::string& word : SplitList(Lower(query), ' '))
        words.push_back(word);
    std::vector<const HelpPage*> inTitle;
    std::vector<const HelpPage*> inText;
    for (const HelpPage& page : m_pages) {
        const std::string title = Lower(page.title);
        if (HoldsEveryWord(title, words))
            inTitle.push_back(&page);
        else if (HoldsEveryWord(title + " " + Lower(page.text), words))
            inText.push_back(&page);
    }
    inTitle.insert(inTitle.end(), inText.begin(), inText.end());
    return inTitle;
}

std::string HelpIndex::TitleOf(std::string_view html)
{
    const std::string lower = Lower(html);
    const auto open = lower.find("<title>");
    const auto close = lower.find("</title>");
    if (open == std::string::npos || close == std::string::npos || close < open)
        return {};
    return DecodeEntities(html.substr(open + 7, close - open - 7));
}

std::string HelpIndex::PlainText(std::string_view html)
{
    const std::string lower = Lower(html);
    auto from = lower.find("<body");
    from = from == std::string::npos ? 0 : lower.find('>', from) + 1;
    std::string text;
    bool inTag = false;
    for (std::size_t i = from; i < html.size(); ++i) {
        const char c = html[i];
        if (c == '<') {
            inTag = true;
            text += ' ';
        } else if (c == '>') {
            inTag = false;
        } else if (!inTag) {
            text += (c == '\n' || c == '\r' || c == '\t') ? ' ' : c;
        }
    }
    // Runs of blanks become one.
    std::string squeezed;
    for (char c : DecodeEntities(text))
        if (c != ' ' || (!squeezed.empty() && squeezed.back() != ' '))
            squeezed += c;
    while (!squeezed.empty() && squeezed.back() == ' ')
        squeezed.pop_back();
    return squeezed;
}

std::vector<std::string> HelpIndex::LinksOf(std::string_view html)
{
    std::vector<std::string> links;
    const std::string lower = Lower(html);
    for (auto at = lower.find("href=\""); at != std::string::npos; at = lower.find("href=\"", at + 1)) {
        const auto start = at + 6;
        const auto end = lower.find('"', start);
        if (end == std::string::npos)
            break;
        links.emplace_back(html.substr(start, end - start));
    }
    return links;
}

} // namespace dm
