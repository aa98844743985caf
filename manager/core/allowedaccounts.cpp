#include "manager/core/allowedaccounts.h"

#include "common/text.h"
#include "database/profilevalues.h"

#include <algorithm>

namespace dm {

namespace {

void SplitInto(std::string_view list, bool groups, std::vector<AllowedAccount>& out)
{
    for (std::string_view piece : SplitText(list, ';')) {
        AllowedAccount account;
        account.kind = groups ? AllowedAccount::GlobalGroup : AllowedAccount::User;
        if (groups && !piece.empty() && piece.back() == '\\') {
            account.kind = AllowedAccount::LocalGroup;
            piece.remove_suffix(1);
        }
        if (piece.empty())
            continue;
        account.name = piece;
        out.push_back(std::move(account));
    }
}

} // namespace

std::optional<AllowedAccount::Kind> AccountKindFromLetter(char letter)
{
    switch (letter) {
    case 'U': return AllowedAccount::User;
    case 'G': return AllowedAccount::GlobalGroup;
    case 'L': return AllowedAccount::LocalGroup;
    default: return std::nullopt;
    }
}

std::vector<AllowedAccount> ParseAllowedAccounts(const PortAccessLists& lists)
{
    std::vector<AllowedAccount> accounts;
    SplitInto(lists.allowedUsers, false, accounts);
    SplitInto(lists.allowedGroups, true, accounts);
    return accounts;
}

PortAccessLists FormatAllowedAccounts(const std::vector<AllowedAccount>& accounts)
{
    PortAccessLists lists;
    for (const AllowedAccount& account : accounts) {
        std::string& list = account.kind == AllowedAccount::User ? lists.allowedUsers : lists.allowedGroups;
        list += account.name;
        if (account.kind == AllowedAccount::LocalGroup)
            list += '\\';
        list += ';';
    }
    return lists;
}

bool StorableAccountName(std::string_view name)
{
    return name.find(';') == std::string_view::npos;
}

bool ContainsAccount(const std::vector<AllowedAccount>& accounts, std::string_view name)
{
    return std::any_of(accounts.begin(), accounts.end(),
                       [name](const AllowedAccount& a) { return EqualNoCase(a.name, name); });
}

} // namespace dm
