#include "manager/core/checkaccess.h"

#include "common/text.h"
#include "database/hardwarefile.h"
#include "database/profilevalues.h"
#include "database/userfile.h"
#include "manager/core/networkaccounts.h"
#include "platform/accounts/accountdatabase.h"
#include "platform/accounts/accountgroups.h"
#include "platform/files/network.h"

#include <cctype>

namespace dm {

namespace {

std::string WithoutBackslashes(std::string name)
{
    name.erase(0, name.find_first_not_of('\\'));
    return name;
}

} // namespace

bool ReadCallerIdentity(const std::string& accountName, const std::string& server, CallerIdentity& caller,
                        std::string& problem)
{
    const std::string account = accountName; // may be caller.account itself
    caller = CallerIdentity{};
    caller.account = account;
    const std::size_t slash = account.find('\\');
    if (slash == std::string::npos || slash == 0 || slash + 1 == account.size()) {
        problem = "The account must be given as DOMAIN\\name.";
        return false;
    }
    const std::string domain = account.substr(0, slash);
    const std::string user = account.substr(slash + 1);
    const std::string serverName = WithoutBackslashes(server);

    std::string controller;
    if (UpperAscii(domain) == UpperAscii(serverName)) {
        controller = serverName;
    } else {
        unsigned long error = 0;
        const auto found = NetworkAccounts::FindDomainController(domain, &error);
        if (!found) {
            problem = "Error getting PDC (" + std::to_string(error) + ") for the domain " + domain + ".";
            return false;
        }
        controller = WithoutBackslashes(*found);
    }
    AccountDatabase accounts(controller);
    if (const unsigned long error = accounts.Load(); error != 0) {
        problem = "Error " + std::to_string(error) + ": the accounts of " + controller + " cannot be read.";
        return false;
    }
    if (!accounts.FindUser(user)) {
        problem = "The account " + account + " does not exist.";
        return false;
    }
    // The server's own local groups count when it keeps accounts apart
    // from the domain's controller.
    AccountDatabase serverAccounts(serverName);
    const bool separate = UpperAscii(controller) != UpperAscii(serverName) && serverAccounts.Load() == 0;
    AccountGroups groups = GroupsOfAccount(accounts, accounts.DomainName().empty() ? domain : accounts.DomainName(),
                                           user, separate ? &serverAccounts : nullptr,
                                           Network::NormalizeComputerName(serverName));
    caller.globalGroups = std::move(groups.global);
    caller.localGroups = std::move(groups.local);
    return true;
}

PolicyExplanation ExplainCaller(const std::string& databaseDirectory, const CallerIdentity& caller,
                                const std::string& server, const std::string& port, std::uint32_t at,
                                int portsHeld)
{
    const HardwareDatabase hw = LoadHardwareDatabase(HardwareFileIn(databaseDirectory));
    UserDatabase usr = LoadUserDatabase(UserFileIn(databaseDirectory));
    return ExplainPolicy(hw, std::move(usr), caller, server, port, at, portsHeld);
}

} // namespace dm
