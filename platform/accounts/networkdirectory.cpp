#include "platform/accounts/networkdirectory.h"

#include "common/text.h"
#include "platform/files/network.h"
#include "platform/files/profile.h"

#include <algorithm>
#include <cctype>

namespace dm {

namespace {

constexpr std::string_view kProviderPrefix = "Provider:";
constexpr std::string_view kDomainPrefix = "Domain:";

bool Contains(const std::vector<std::string>& items, std::string_view name)
{
    return std::any_of(items.begin(), items.end(),
                       [&](const std::string& item) { return EqualNoCase(item, name); });
}

bool ValidName(std::string_view name)
{
    return !name.empty() && name.find_first_of("[]\r\n,=") == std::string_view::npos;
}

} // namespace

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
            !EqualNoCase(std::string_view(section).substr(0, kDomainPrefix.size()), kDomainPrefix))
            continue;
        DomainEntry d;
        d.name = section.substr(kDomainPrefix.size());
        if (FindDomain(d.name) != nullptr)
            continue;
        d.controller = Network::NormalizeComputerName(
            GetPrivateProfileString(section, "Controller", "", file));
        if (TrimBlanks(GetPrivateProfileString(section, "Controller", "", file)).empty())
            d.controller.clear();
        d.comment = GetPrivateProfileString(section, "Comment", "", file);
        d.servers = SplitList(GetPrivateProfileString(section, "Servers", "", file));
        m_domains.push_back(std::move(d));
    }
}

const ProviderEntry* NetworkDirectory::FindProvider(std::string_view name) const
{
    for (const auto& p : m_providers)
        if (EqualNoCase(p.name, name))
            return &p;
    return nullptr;
}

const DomainEntry* NetworkDirectory::FindDomain(std::string_view name) const
{
    for (const auto& d : m_domains)
        if (EqualNoCase(d.name, name))
            return &d;
    return nullptr;
}

std::string NetworkDirectory::DomainOf(std::string_view computer) const
{
    const std::string name = Network::NormalizeComputerName(computer);
    for (const auto& d : m_domains)
        if (Contains(d.servers, name) || EqualNoCase(d.controller, name))
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
    return WritePrivateProfileString("Network", "Providers", JoinText(providers, ","), file);
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
        batch.Write(providerSection, "Domains", JoinText(domains, ","));
    }
    const std::string section = std::string(kDomainPrefix) + std::string(domain);
    const std::string ctrl = controller.empty() ? std::string() : Network::NormalizeComputerName(controller);
    batch.Write(section, "Controller", ctrl);
    batch.Write(section, "Comment", comment);
    auto servers = SplitList(GetPrivateProfileString(section, "Servers", "", file));
    if (!ctrl.empty() && !Contains(servers, ctrl))
        servers.insert(servers.begin(), ctrl);
    batch.Write(section, "Servers", JoinText(servers, ","));
    return batch.Commit();
}

bool NetworkDirectory::Store(const std::vector<ProviderEntry>& providers,
                             const std::vector<DomainEntry>& domains)
{
    ProfileBatch batch(IniPath());
    std::vector<std::string> names;
    for (const auto& p : providers)
        names.push_back(p.name);
    batch.Write("Network", "Providers", JoinText(names, ","));
    for (const auto& p : providers) {
        if (!ValidName(p.name))
            return false;
        batch.Write(std::string(kProviderPrefix) + p.name, "Domains", JoinText(p.domains, ","));
    }
    for (const auto& d : domains) {
        if (!ValidName(d.name))
            return false;
        const std::string section = std::string(kDomainPrefix) + d.name;
        batch.Write(section, "Controller", d.controller);
        batch.Write(section, "Comment", d.comment);
        batch.Write(section, "Servers", JoinText(d.servers, ","));
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
    return WritePrivateProfileString(section, "Servers", JoinText(servers, ","), file);
}

} // namespace dm
