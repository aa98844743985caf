#pragma once
// Helpers shared by the two output forms for reading dmtemp.dat.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace dm {

// The keys of one section in file order, each key once (the first
// occurrence, as a profile read finds it), with a lookup by folded name.
class SectionKeys {
public:
    SectionKeys(std::string_view section, const std::string& file);
    const std::vector<std::pair<std::string, std::string>>& Entries() const { return m_entries; }
    const std::string* Find(std::string_view key) const;

private:
    std::vector<std::pair<std::string, std::string>> m_entries;
    std::unordered_map<std::string, std::size_t> m_index;
};

// The section names of the file in file order, each name once.
std::vector<std::string> UniqueSectionNames(const std::string& file);

// A stored denied-connection value "time?server\port?user" split at '?'.
struct DeniedEntry {
    std::uint32_t time = 0;
    std::string port;
    std::string user;
};
DeniedEntry SplitDeniedValue(std::string_view value);

} // namespace dm
