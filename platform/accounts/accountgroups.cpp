#include "platform/accounts/accountgroups.h"

#include <algorithm>
#include <cctype>

namespace dm {

namespace {

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

bool IsMember(const GroupAccount& group, const std::string& domain, const std::string& user,
              const std::vector<std::string>& userGlobalGroups)
{
    for (const std::string& member : group.members) {
        if (SameName(member, user) || SameName(member, domain + "\\" + user))
            return true;
        for (const std::string& global : userGlobalGroups)
            if (SameName(member, global) || SameName(member, global.substr(global.find('\\') + 1)))
                return true;
    }
    return false;
}

} // namespace

AccountGroups GroupsOfAccount(const AccountDatabase& accounts, const std::string& domain, const std::string& user,
                              const AccountDatabase* serverAccounts, const std::string& serverName)
{
    AccountGroups groups;
    for (const GroupAccount& group : accounts.GlobalGroups())
        if (std::any_of(group.members.begin(), group.members.end(),
                        [&](const std::string& m) { return SameName(m, user); }))
            groups.global.push_back(domain + "\\" + group.name);
    for (const GroupAccount& group : accounts.LocalGroups())
        if (IsMember(group, domain, user, groups.global))
            groups.local.push_back(domain + "\\" + group.name);
    if (serverAccounts)
        for (const GroupAccount& group : serverAccounts->LocalGroups())
            if (IsMember(group, domain, user, groups.global))
                groups.local.push_back(serverName + "\\" + group.name);
    return groups;
}

} // namespace dm
