#pragma once
// The policies the server component enforces, as it reads them from the
// database directory: Dialmind.hw (ports, notices, default profile, greeting
// rules) and Dialmind.usr (account records with their usage counters, group
// limits). Everything here is plain data; PolicyEngine applies it.

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace dm::netemu {

// Period types of a period limit.
enum PeriodKind : std::int32_t { PeriodNone = 0, PeriodDay = 1, PeriodWeek = 2, PeriodMonth = 3 };

// One set of limits: an account's own, a group's, or the default profile's.
// 0 means "no limit" for every number.
struct Limits {
    bool noDuplicate = false;
    std::int32_t maxSessionTime = 0; // seconds
    std::int32_t maxTotalTime = 0;   // seconds
    std::int32_t periodMax = 0;      // seconds per period
    std::int32_t periodType = PeriodNone;

    bool HasPeriodLimit() const { return periodMax > 0 && periodType >= PeriodDay && periodType <= PeriodMonth; }
    bool HasTimeLimit() const { return maxSessionTime > 0 || maxTotalTime > 0 || HasPeriodLimit(); }
};

// One account section of Dialmind.usr.
struct AccountRecord {
    std::string key; // DOMAIN\name, as the file spells it
    Limits limits;
    std::int32_t expiryDays = 0;
    std::uint32_t staticIp = 0;
    std::uint32_t firstConnection = 0;
    std::uint32_t lastConnection = 0;
    std::int32_t lasted = 0;
    std::int32_t totalTime = 0;
    std::int32_t totalConnects = 0;
    std::int32_t totalDenieds = 0;
    std::uint32_t periodStamp = 0;
    std::int32_t periodUsage = 0;
};

struct DefaultProfileSettings {
    Limits limits;
    std::int32_t expiryDays = 0;
    bool assignDefault = false;
};

struct PortPolicy {
    std::string server;
    std::string port;
    std::int32_t maxSessionTime = 0;
    std::uint32_t staticIp = 0;
    std::vector<std::string> allowedUsers;        // DOMAIN\name
    std::vector<std::string> allowedGlobalGroups; // SOURCE\group
    std::vector<std::string> allowedLocalGroups;  // SOURCE\group (stored with a trailing backslash)

    bool Restricted() const
    {
        return !allowedUsers.empty() || !allowedGlobalGroups.empty() || !allowedLocalGroups.empty();
    }
};

struct Notice {
    std::int32_t seconds = 0; // before the automatic disconnect; 0 = off
    std::string text;
};

struct GreetingRule {
    bool active = false;
    std::string text;
};

// Upper-case copy, for the case-insensitive maps of names.
std::string UpperKey(std::string_view text);

struct HardwarePolicies {
    std::map<std::string, PortPolicy> ports; // by UpperKey("SERVER\PORT")
    DefaultProfileSettings defaultProfile;
    Notice notices[2];
    GreetingRule rules[3];

    const PortPolicy* FindPort(std::string_view server, std::string_view port) const;
};

struct UserPolicies {
    std::map<std::string, AccountRecord> accounts; // by UpperKey(account key)
    std::map<std::string, Limits> groups;          // by UpperKey("SOURCE\group"), without the "+"

    AccountRecord* FindAccount(std::string_view account);
    const AccountRecord* FindAccount(std::string_view account) const;
};

// Splits an access list ("A;B\;C;") into its names; a name that ends with a
// backslash is a local group and goes to localGroups without it.
void ParseAccessList(std::string_view list, std::vector<std::string>& names,
                     std::vector<std::string>* localGroups);

// Readers of the two files (system paths, resolved by the profile layer).
HardwarePolicies LoadHardwarePolicies(std::string_view hwFile);
UserPolicies LoadUserPolicies(std::string_view usrFile);

} // namespace dm::netemu
