#include "reports/reportreading.h"

#include "common/numbers.h"
#include "platform/files/profile.h"
#include "common/iniparser.h"
#include "reports/reportintermediate.h"

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

DeniedEntry SplitDeniedValue(std::string_view value)
{
    DeniedEntry entry;
    const std::size_t first = value.find('?');
    entry.time = AtoiWrapped32(value.substr(0, first));
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
