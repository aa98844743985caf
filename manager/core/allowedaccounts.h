#pragma once
// The accounts allowed on one port, as the port's Permissions page lists
// them: user accounts, global groups and local groups, each named
// "source\name". They are stored in the two access lists of the port's
// section: users in AllowedUser, groups in AllowedGroup, every name followed
// by ';' and a local group marked by a '\' before its ';'. Qt-free.

#include "database/hardwarerecords.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

struct AllowedAccount {
    // The kind letters the Add Allowed Groups dialog hands back.
    enum Kind : char { User = 'U', GlobalGroup = 'G', LocalGroup = 'L' };
    Kind kind = GlobalGroup;
    std::string name; // source\name

    bool operator==(const AllowedAccount&) const = default;
};

// The kind a letter names, none for any other letter.
std::optional<AllowedAccount::Kind> AccountKindFromLetter(char letter);

// Users first, in list order, then the groups in list order. Empty pieces
// (the one after the last ';', or ";;") name nothing and are skipped.
std::vector<AllowedAccount> ParseAllowedAccounts(const PortAccessLists& lists);
// The two lists in the order of the entries.
PortAccessLists FormatAllowedAccounts(const std::vector<AllowedAccount>& accounts);

// A name that holds ';' would come back from the list as two names.
bool StorableAccountName(std::string_view name);
// Whether a name is listed already; account names compare without regard to case.
bool ContainsAccount(const std::vector<AllowedAccount>& accounts, std::string_view name);

} // namespace dm
