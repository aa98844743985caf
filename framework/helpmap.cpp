#include "framework/helpmap.h"

#include "common/text.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace dm {

namespace {

bool IsSafeRelative(const std::string& page)
{
    if (page.empty() || page.front() == '/' || page.find('\\') != std::string::npos)
        return false;
    for (const auto& part : std::filesystem::path(page))
        if (part == "..")
            return false;
    return true;
}

// The part of an HTML page between <body> and </body>, or all of it.
std::string BodyOf(const std::string& html)
{
    const std::string lower = LowerAscii(html);
    size_t begin = lower.find("<body");
    if (begin == std::string::npos)
        return html;
    begin = lower.find('>', begin);
    if (begin == std::string::npos)
        return html;
    size_t end = lower.find("</body>", begin);
    return html.substr(begin + 1, (end == std::string::npos ? html.size() : end) - begin - 1);
}

} // namespace

void HelpMap::Parse(const std::string& text)
{
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream words(line);
        std::string number, kind, page, extra;
        if (!(words >> number) || number[0] == '#')
            continue;
        words >> kind >> page;
        const bool extraWord = static_cast<bool>(words >> extra);
        char* end = nullptr;
        const long value = std::strtol(number.c_str(), &end, 10);
        HelpContext context;
        const size_t hash = page.find('#');
        context.page = page.substr(0, hash);
        if (hash != std::string::npos)
            context.anchor = page.substr(hash + 1);
        if (kind == "popup")
            context.kind = HelpContext::Kind::Popup;
        if (*end != '\0' || value < 0 || value > 0x7fffffff || (kind != "topic" && kind != "popup") ||
            extraWord || !IsSafeRelative(context.page)) {
            m_errors.push_back("line " + std::to_string(lineNo) + ": " + line);
            continue;
        }
        m_contexts[static_cast<int>(value)] = context;
    }
}

bool HelpMap::Load(const std::filesystem::path& directory)
{
    m_directory = directory;
    std::ifstream in(directory / "contexts.map", std::ios::binary);
    if (!in)
        return false;
    std::ostringstream text;
    text << in.rdbuf();
    Parse(text.str());
    return true;
}

std::optional<HelpContext> HelpMap::Find(int context) const
{
    auto it = m_contexts.find(context);
    if (it == m_contexts.end())
        return std::nullopt;
    return it->second;
}

std::filesystem::path HelpMap::PagePath(int context) const
{
    auto found = Find(context);
    return found ? m_directory / found->page : std::filesystem::path();
}

std::string HelpMap::PopupText(int context) const
{
    auto found = Find(context);
    if (!found || found->kind != HelpContext::Kind::Popup)
        return {};
    std::ifstream in(m_directory / found->page, std::ios::binary);
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return BodyOf(text.str());
}

std::filesystem::path HelpMap::DefaultDirectory(const std::filesystem::path& programDir)
{
    if (const char* env = std::getenv("DIALMIND_HELP_DIR"); env && *env)
        return env;
    std::error_code ec;
    auto installed = programDir.parent_path() / "share" / "dialminder" / "help";
    if (std::filesystem::exists(installed / "contexts.map", ec))
        return installed;
#ifdef DM_HELP_SOURCE_DIR
    return DM_HELP_SOURCE_DIR;
#else
    return installed;
#endif
}

} // namespace dm
