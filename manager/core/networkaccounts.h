#pragma once
// The network account operations the manager's windows share: a domain's
// primary domain controller, its global and local groups, its user accounts
// and a group's members, read through the network account calls in batches
// of at most 10,000 bytes. Qt-free.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

class UserInteraction;

class NetworkAccounts {
public:
    static constexpr unsigned kBatchBytes = 10000;

    // The controller's name with its leading backslashes ("\\DC"); none when
    // the domain is unknown or has no reachable controller. The domain name is
    // passed with at most 30 characters, as the tree does.
    static std::optional<std::string> FindDomainController(std::string_view domain,
                                                           unsigned long* error = nullptr);
    static std::vector<std::string> GlobalGroups(std::string_view controller);
    static std::vector<std::string> LocalGroups(std::string_view controller);
    // Normal and temporary-duplicate accounts, every batch of them.
    static std::vector<std::string> Users(std::string_view controller);
    // The members of a global group of a domain. When the controller cannot
    // be found, shows "Error getting PDC (%d)" and returns none.
    static std::vector<std::string> GroupMembers(std::string_view domain, std::string_view group,
                                                 UserInteraction& ui);
};

} // namespace dm
