#pragma once
// The groups a dial-in account belongs to, as the RAS service learns them
// when it admits the caller: the global groups of the account's domain that
// list it, and the local groups (of the domain, and of the RAS server when
// it keeps accounts of its own) that list it, its domain name or one of its
// global groups. dmsim's callers and the manager's Check Access read them
// here, so both see the same groups.

#include "platform/accounts/accountdatabase.h"

#include <string>
#include <vector>

namespace dm {

struct AccountGroups {
    std::vector<std::string> global; // "DOMAIN\group"
    std::vector<std::string> local;  // "DOMAIN\group" or "SERVER\group"
};

// `accounts` is the domain's database (its controller's), `domain` its name.
// `serverAccounts`, when not null, is the RAS server's own database,
// `serverName` the server's name for its local groups.
AccountGroups GroupsOfAccount(const AccountDatabase& accounts, const std::string& domain, const std::string& user,
                              const AccountDatabase* serverAccounts = nullptr, const std::string& serverName = {});

} // namespace dm
