#include "platform/accounts/networkdirectory.h"

#include "platform/files/network.h"
#include "platform/files/profile.h"

#include <algorithm>
#include <cctype>

namespace dm {

namespace {

constexpr std::string_view kProviderPrefix = "Provider:";
constexpr std::string_view kDomainPrefix = "Domain:";

std::string Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

bool Contains(const std::vector<std::string>& items, std::string_view name)
{
    return std::any_of(items.begin(), items.end(),
                       [&](const std::string& item) { return SameText(item, name); });
}

bool ValidName(std::string_view name)
{
    return !name.empty() && name.find_first_of("[]\r\n,=") == std::string_view::npos;
}

} // namespace

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::vector<std::string> SplitList(std::string_view text)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start <= text.size()) {
        auto comma = text.find(',', start);
        if (comma == std::string_view::npos)
            comma = text.size();
        std::string item = Trim(text.substr(start, comma - start));
        if (!item.empty())
            out.push_back(std::move(item));
        start = comma + 1;
    }
    return out;
}

std::string JoinList(const std::vector<std::string>& items)
{
    std::string out;
    for (const auto& item : items) {
        if (!out.empty())
            out += ',';
        out += item;
    }
    return out;
}

std::string NetworkDirectory::IniPath() { return (Network::Root() / "network.ini").string(); }

void NetworkDirectory::Load()
{
    m_providers.clear();
    m_domains.clear();
    const std::string file = IniPath();
    for (const auto& name : SplitList(GetPrivateProfileString("Network", "Providers", "", file))) {
        const std::string section = std::string(kProviderPrefix) + name;
        m_providers.push_back({name, SplitList(GetPrivateProfileString(section, "Domains", "", file))});
    }
    for (const auto& section : GetPrivateProfileSectionNames(file)) {
        if (section.size() <= kDomainPrefix.size() ||
            !SameText(std::string_view(section).substr(0, kDomainPrefix.size()), kDomainPrefix))
            continue;
        DomainEntry d;
        d.name = section.substr(kDomainPrefix.size());
        if (FindDomain(d.name) != nullptr)
            continue;
        d.controller = Network::NormalizeComputerName(
            GetPrivateProfileString(section, "Controller", "", file));
        if (Trim(GetPrivateProfileString(section, "Controller", "", file)).empty())
            d.controller.clear();
        d.comment = GetPrivateProfileString(section, "Comment", "", file);
        d.servers = SplitList(GetPrivateProfileString(section, "Servers", "", file));
        m_domains.push_back(std::move(d));
    }
}

const ProviderEntry* NetworkDirectory::FindProvider(std::string_view name) const
{
    for (const auto& p : m_providers)
        if (SameText(p.name, name))
            return &p;
    return nullptr;
}

const DomainEntry* NetworkDirectory::FindDomain(std::string_view name) const
{
    for (const auto& d : m_domains)
        if (SameText(d.name, name))
            return &d;
    return nullptr;
}

std::string NetworkDirectory::DomainOf(std::string_view computer) const
{
    const std::string name = Network::NormalizeComputerName(computer);
    for (const auto& d : m_domains)
        if (Contains(d.servers, name) || SameText(d.controller, name))
            return d.name;
    return {};
}

bool NetworkDirectory::AddProvider(std::string_view provider)
{
    if (!ValidName(provider))
        return false;
    const std::string file = IniPath();
    auto providers = SplitList(GetPrivateProfileString("Network", "Providers", "", file));
    if (Contains(providers, provider))
        return true;
    providers.emplace_back(provider);
    return WritePrivateProfileString("Network", "Providers", JoinList(providers), file);
}

bool NetworkDirectory::AddDomain(std::string_view domain, std::string_view controller,
                                 std::string_view provider, std::string_view comment)
{
    if (!ValidName(domain) || !ValidName(provider) ||
        controller.find_first_of(",\r\n") != std::string_view::npos || !AddProvider(provider))
        return false;
    const std::string file = IniPath();
    const std::string providerSection = std::string(kProviderPrefix) + std::string(provider);
    auto domains = SplitList(GetPrivateProfileString(providerSection, "Domains", "", file));
    ProfileBatch batch(file);
    if (!Contains(domains, domain)) {
        domains.emplace_back(domain);
        batch.Write(providerSection, "Domains", JoinList(domains));
    }
    const std::string section = std::string(kDomainPrefix) + std::string(domain);
    const std::string ctrl = controller.empty() ? std::string() : Network::NormalizeComputerName(controller);
    batch.Write(section, "Controller", ctrl);
    batch.Write(section, "Comment", comment);
    auto servers = SplitList(GetPrivateProfileString(section, "Servers", "", file));
    if (!ctrl.empty() && !Contains(servers, ctrl))
        servers.insert(servers.begin(), ctrl);
    batch.Write(section, "Servers", JoinList(servers));
    return batch.Commit();
}

bool NetworkDirectory::Store(const std::vector<ProviderEntry>& providers,
                             const std::vector<DomainEntry>& domains)
{
    ProfileBatch batch(IniPath());
    std::vector<std::string> names;
    for (const auto& p : providers)
        names.push_back(p.name);
    batch.Write("Network", "Providers", JoinList(names));
    for (const auto& p : providers) {
        if (!ValidName(p.name))
            return false;
        batch.Write(std::string(kProviderPrefix) + p.name, "Domains", JoinList(p.domains));
    }
    for (const auto& d : domains) {
        if (!ValidName(d.name))
            return false;
        const std::string section = std::string(kDomainPrefix) + d.name;
        batch.Write(section, "Controller", d.controller);
        batch.Write(section, "Comment", d.comment);
        batch.Write(section, "Servers", JoinList(d.servers));
    }
    return batch.Commit();
}

bool NetworkDirectory::AddServer(std::string_view domain, std::string_view server)
{
    if (!ValidName(domain) || !ValidName(server))
        return false;
    const std::string file = IniPath();
    const std::string section = std::string(kDomainPrefix) + std::string(domain);
    auto servers = SplitList(GetPrivateProfileString(section, "Servers", "", file));
    const std::string name = Network::NormalizeComputerName(server);
    if (Contains(servers, name))
        return true;
    servers.push_back(name);
    return WritePrivateProfileString(section, "Servers", JoinList(servers), file);
}

} // namespace dm
