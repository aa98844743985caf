#include "reports/reportreading.h"

#include "platform/profile.h"
#include "reports/reportextraction.h"
#include "reports/reportintermediate.h"

#include <climits>
#include <unordered_set>

namespace dm {

SectionKeys::SectionKeys(std::string_view section, const std::string& file)
{
    for (auto& [key, value] : GetPrivateProfileSection(section, file)) {
        if (m_index.emplace(FoldProfileName(key), m_entries.size()).second)
            m_entries.emplace_back(std::move(key), std::move(value));
    }
}

const std::string* SectionKeys::Find(std::string_view key) const
{
    const auto it = m_index.find(FoldProfileName(key));
    return it == m_index.end() ? nullptr : &m_entries[it->second].second;
}

std::vector<std::string> UniqueSectionNames(const std::string& file)
{
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (std::string& name : GetPrivateProfileSectionNames(file)) {
        if (seen.insert(FoldProfileName(name)).second)
            names.push_back(std::move(name));
    }
    return names;
}

int ReadInt(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\v' || text[i] == '\f'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            break;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

DeniedEntry SplitDeniedValue(std::string_view value)
{
    DeniedEntry entry;
    const std::size_t first = value.find('?');
    ParseCalendarTime(value.substr(0, first), entry.time);
    if (first == std::string_view::npos)
        return entry;
    const std::string_view rest = value.substr(first + 1);
    const std::size_t second = rest.find('?');
    entry.port = std::string(rest.substr(0, second));
    if (second != std::string_view::npos) {
        const std::string_view user = rest.substr(second + 1);
        entry.user = std::string(user.substr(0, user.find('?')));
    }
    return entry;
}

} // namespace dm
