#include "platform/accounts/accountgroups.h"

#include "common/text.h"

#include <algorithm>

namespace dm {

namespace {

bool IsMember(const GroupAccount& group, const std::string& domain, const std::string& user,
              const std::vector<std::string>& userGlobalGroups)
{
    for (const std::string& member : group.members) {
        if (EqualNoCase(member, user) || EqualNoCase(member, domain + "\\" + user))
            return true;
        for (const std::string& global : userGlobalGroups)
            if (EqualNoCase(member, global) || EqualNoCase(member, global.substr(global.find('\\') + 1)))
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
                        [&](const std::string& m) { return EqualNoCase(m, user); }))
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
