#include "netemu/policies.h"

#include "platform/profile.h"

#include <cctype>
#include <cstdlib>

namespace dm::netemu {
namespace {

using KeyValues = std::vector<std::pair<std::string, std::string>>;

// Values of one section by upper-case key; the first of a name wins.
std::map<std::string, std::string> ByKey(const KeyValues& pairs)
{
    std::map<std::string, std::string> map;
    for (const auto& [key, value] : pairs)
        map.emplace(UpperKey(key), value);
    return map;
}

std::int32_t Int(const std::map<std::string, std::string>& values, const char* key)
{
    auto it = values.find(key);
    return it == values.end() ? 0 : static_cast<std::int32_t>(std::atol(it->second.c_str()));
}

std::uint32_t Unsigned(const std::map<std::string, std::string>& values, const char* key)
{
    auto it = values.find(key);
    // Addresses above 127.x.x.x are stored as negative numbers; times may
    // exceed the signed range. Both read back as the same 32 bits.
    return it == values.end() ? 0u : static_cast<std::uint32_t>(std::strtoll(it->second.c_str(), nullptr, 10));
}

std::string Text(const std::map<std::string, std::string>& values, const char* key)
{
    auto it = values.find(key);
    return it == values.end() ? std::string() : it->second;
}

Limits ReadLimits(const std::map<std::string, std::string>& values)
{
    Limits limits;
    limits.noDuplicate = Int(values, "NODUPLICATE") != 0;
    limits.maxSessionTime = Int(values, "MAXSESSIONTIME");
    limits.maxTotalTime = Int(values, "MAXTOTALTIME");
    limits.periodMax = Int(values, "PERIODMAX");
    limits.periodType = Int(values, "PERIODTYPE");
    return limits;
}

} // namespace

std::string UpperKey(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

const PortPolicy* HardwarePolicies::FindPort(std::string_view server, std::string_view port) const
{
    std::string key(server);
    key += '\\';
    key += port;
    auto it = ports.find(UpperKey(key));
    return it == ports.end() ? nullptr : &it->second;
}

AccountRecord* UserPolicies::FindAccount(std::string_view account)
{
    auto it = accounts.find(UpperKey(account));
    return it == accounts.end() ? nullptr : &it->second;
}

const AccountRecord* UserPolicies::FindAccount(std::string_view account) const
{
    auto it = accounts.find(UpperKey(account));
    return it == accounts.end() ? nullptr : &it->second;
}

void ParseAccessList(std::string_view list, std::vector<std::string>& names,
                     std::vector<std::string>* localGroups)
{
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(';', start);
        if (end == std::string_view::npos)
            end = list.size();
        std::string_view name = list.substr(start, end - start);
        while (!name.empty() && (name.front() == ' ' || name.front() == '\t'))
            name.remove_prefix(1);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t'))
            name.remove_suffix(1);
        if (!name.empty()) {
            if (localGroups && name.back() == '\\') {
                name.remove_suffix(1);
                if (!name.empty())
                    localGroups->emplace_back(name);
            } else {
                names.emplace_back(name);
            }
        }
        start = end + 1;
    }
}

HardwarePolicies LoadHardwarePolicies(std::string_view hwFile)
{
    HardwarePolicies hw;
    for (const std::string& section : GetPrivateProfileSectionNames(hwFile)) {
        // The same exact-case test the manager makes: "general" is a port.
        if (section == "Greetings" || section == "Default" || section == "Loggers" || section == "General")
            continue;
        const auto values = ByKey(GetPrivateProfileSection(section, hwFile));
        PortPolicy port;
        const std::size_t slash = section.find('\\');
        port.server = section.substr(0, slash);
        port.port = slash == std::string::npos ? std::string() : section.substr(slash + 1);
        port.maxSessionTime = Int(values, "MAXSESSIONTIME");
        port.staticIp = Unsigned(values, "STATICIP");
        ParseAccessList(Text(values, "ALLOWEDUSER"), port.allowedUsers, nullptr);
        ParseAccessList(Text(values, "ALLOWEDGROUP"), port.allowedGlobalGroups, &port.allowedLocalGroups);
        hw.ports.emplace(UpperKey(section), std::move(port));
    }

    const auto general = ByKey(GetPrivateProfileSection("General", hwFile));
    hw.notices[0] = {Int(general, "NOTIFY1"), Text(general, "NOTIFY1TEXT")};
    hw.notices[1] = {Int(general, "NOTIFY2"), Text(general, "NOTIFY2TEXT")};

    const auto def = ByKey(GetPrivateProfileSection("Default", hwFile));
    hw.defaultProfile.limits = ReadLimits(def);
    hw.defaultProfile.expiryDays = Int(def, "EXPIRYTIME");
    hw.defaultProfile.assignDefault = Int(def, "ASSIGNDEFAULT") != 0;

    const auto greetings = ByKey(GetPrivateProfileSection("Greetings", hwFile));
    const std::int32_t mask = Int(greetings, "RULEMASK");
    static const char* const ruleKeys[3] = {"RULE0TEXT", "RULE1TEXT", "RULE2TEXT"};
    for (int i = 0; i < 3; ++i)
        hw.rules[i] = {(mask & (1 << i)) != 0, Text(greetings, ruleKeys[i])};
    return hw;
}

UserPolicies LoadUserPolicies(std::string_view usrFile)
{
    UserPolicies usr;
    for (const std::string& section : GetPrivateProfileSectionNames(usrFile)) {
        const auto values = ByKey(GetPrivateProfileSection(section, usrFile));
        if (!section.empty() && section.front() == '+') {
            usr.groups.emplace(UpperKey(section.substr(1)), ReadLimits(values));
            continue;
        }
        AccountRecord record;
        record.key = section;
        record.limits = ReadLimits(values);
        record.expiryDays = Int(values, "EXPIRYTIME");
        record.staticIp = Unsigned(values, "STATICIP");
        record.firstConnection = Unsigned(values, "FIRSTCONNECTION");
        record.lastConnection = Unsigned(values, "LASTCONNECTION");
        record.lasted = Int(values, "LASTED");
        record.totalTime = Int(values, "TOTALTIME");
        record.totalConnects = Int(values, "TOTALCONNECTS");
        record.totalDenieds = Int(values, "TOTALDENIEDS");
        record.periodStamp = Unsigned(values, "PERIODSTAMP");
        record.periodUsage = Int(values, "PERIODUSAGE");
        usr.accounts.emplace(UpperKey(section), std::move(record));
    }
    return usr;
}

} // namespace dm::netemu
