#pragma once
// The browse list of the emulated network (network.ini, docs/network-ras.md):
// the providers at the top of the network, their domains, each domain's
// controller and servers.

#include <string>
#include <string_view>
#include <vector>

namespace dm {

struct DomainEntry {
    std::string name;
    std::string controller; // empty: no controller
    std::string comment;
    std::vector<std::string> servers;
};

struct ProviderEntry {
    std::string name;
    std::vector<std::string> domains;
};

class NetworkDirectory {
public:
    // Reads network.ini of the current network root.
    void Load();

    const std::vector<ProviderEntry>& Providers() const { return m_providers; }
    const std::vector<DomainEntry>& Domains() const { return m_domains; }
    // Names compare without regard to case; null when there is none.
    const ProviderEntry* FindProvider(std::string_view name) const;
    const DomainEntry* FindDomain(std::string_view name) const;
    // The first domain whose server list names the computer; empty when none does.
    std::string DomainOf(std::string_view computer) const;

    // Edits for tools: each is one locked write of network.ini. A domain is
    // added under the provider (created and listed when new); a server is
    // appended to a domain's list once. False when the file cannot be written
    // or a name would break it.
    static bool AddDomain(std::string_view domain, std::string_view controller,
                          std::string_view provider, std::string_view comment);
    static bool AddServer(std::string_view domain, std::string_view server);
    static bool AddProvider(std::string_view provider);
    // Writes the providers (in this order, replacing the list) and the
    // domains in one write.
    static bool Store(const std::vector<ProviderEntry>& providers,
                      const std::vector<DomainEntry>& domains);

    static std::string IniPath();
    // The provider that holds the domains of the Windows network.
    static constexpr const char* kWindowsProvider = "Microsoft Windows Network";

private:
    std::vector<ProviderEntry> m_providers;
    std::vector<DomainEntry> m_domains;
};

} // namespace dm
