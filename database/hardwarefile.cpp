#include "database/hardwarefile.h"

#include "common/numbers.h"
#include "common/text.h"
#include "database/policyform.h"
#include "database/profilevalues.h"
#include "platform/files/profile.h"

namespace dm {

namespace {

constexpr std::string_view kGeneral = "General";
constexpr std::string_view kDefault = "Default";
constexpr std::string_view kGreetings = "Greetings";
constexpr std::string_view kLoggers = "Loggers";

const char* const kRuleTextKeys[3] = {"Rule0Text", "Rule1Text", "Rule2Text"};
const char* const kNoticeKeys[2] = {"Notify1", "Notify2"};
const char* const kNoticeTextKeys[2] = {"Notify1Text", "Notify2Text"};

using KeyValues = std::vector<std::pair<std::string, std::string>>;

PortSettings ReadPort(const std::string& section, const KeyValues& keys)
{
    PortSettings record;
    // The server name is the text before the first backslash; a section
    // without one (never written by the system) gets an empty port name.
    const std::size_t slash = section.find('\\');
    record.serverName = section.substr(0, slash);
    record.portName = slash == std::string::npos ? std::string() : section.substr(slash + 1);
    record.maxSessionTime = AtoiInt32(FindValue(keys, "MaxSessionTime"));
    record.staticIP = AtoiWrapped32(FindValue(keys, "StaticIP"));
    return record;
}

PortAccessLists ReadAccessLists(const KeyValues& keys)
{
    PortAccessLists lists;
    // Lists are read whole, however many names they hold: a name cut short
    // would refuse a caller the list admits.
    lists.allowedUsers = FindValue(keys, "AllowedUser", "");
    lists.allowedGroups = FindValue(keys, "AllowedGroup", "");
    return lists;
}

GreetingRules ReadGreetingRules(const KeyValues& keys)
{
    GreetingRules rules;
    rules.SetRuleMask(AtoiInt32(FindValue(keys, "RuleMask")));
    for (std::size_t i = 0; i < rules.rules.size(); ++i)
        rules.rules[i].text =
            CutToCharacters(std::string(FindValue(keys, kRuleTextKeys[i], "")), kGreetingTextLimit);
    return rules;
}

DefaultProfile ReadDefaultProfile(const KeyValues& keys)
{
    DefaultProfile profile;
    profile.noDuplicate = AtoiInt32(FindValue(keys, "NoDuplicate")) != 0;
    profile.maxTotalTime = AtoiInt32(FindValue(keys, "MaxTotalTime"));
    profile.maxSessionTime = AtoiInt32(FindValue(keys, "MaxSessionTime"));
    profile.expiryTime = AtoiInt32(FindValue(keys, "ExpiryTime"));
    profile.periodMax = AtoiInt32(FindValue(keys, "PeriodMax"));
    profile.periodType = AtoiInt32(FindValue(keys, "PeriodType"));
    profile.assignDefault = AtoiInt32(FindValue(keys, "AssignDefault")) != 0;
    return profile;
}

NotificationSettings ReadNotifications(const KeyValues& keys)
{
    NotificationSettings settings;
    for (std::size_t i = 0; i < settings.notices.size(); ++i) {
        Notice& notice = settings.notices[i];
        notice.text = CutToCharacters(std::string(FindValue(keys, kNoticeTextKeys[i], "")), kNoticeTextLimit);
        notice.seconds = AtoiInt32(FindValue(keys, kNoticeKeys[i]));
    }
    return settings;
}

} // namespace

int GreetingRules::RuleMask() const
{
    int mask = 0;
    for (std::size_t i = 0; i < rules.size(); ++i)
        if (rules[i].active)
            mask |= 1 << i;
    return mask;
}

void GreetingRules::SetRuleMask(int mask)
{
    for (std::size_t i = 0; i < rules.size(); ++i)
        rules[i].active = (mask & (1 << i)) != 0;
}

std::string HardwareFileIn(std::string_view databaseDirectory)
{
    return std::string(databaseDirectory) + "\\Dialmind.hw";
}

std::string PortSectionName(std::string_view server, std::string_view port)
{
    std::string name(server);
    name += '\\';
    name += port;
    return name;
}

bool IsReservedHardwareSection(std::string_view name)
{
    return name == kGreetings || name == kDefault || name == kLoggers || name == kGeneral;
}

std::vector<PortSettings> LoadPortSettings(std::string_view file, const ProgressSink& progress)
{
    std::vector<PortSettings> ports;
    for (const std::string& section : GetPrivateProfileSectionNames(file)) {
        if (IsReservedHardwareSection(section))
            continue;
        if (progress)
            progress("Loading settings for " + section + ", please wait...");
        ports.push_back(ReadPort(section, GetPrivateProfileSection(section, file)));
    }
    return ports;
}

GreetingRules LoadGreetingRules(std::string_view file)
{
    return ReadGreetingRules(GetPrivateProfileSection(kGreetings, file));
}

DefaultProfile LoadDefaultProfile(std::string_view file)
{
    return ReadDefaultProfile(GetPrivateProfileSection(kDefault, file));
}

NotificationSettings LoadNotificationSettings(std::string_view file)
{
    return ReadNotifications(GetPrivateProfileSection(kGeneral, file));
}

PortSettings LoadPort(std::string_view file, std::string_view server, std::string_view port)
{
    PortSettings record = ReadPort(PortSectionName(server, port), GetPrivateProfileSection(PortSectionName(server, port), file));
    record.serverName = server;
    record.portName = port;
    return record;
}

PortAccessLists LoadPortAccessLists(std::string_view file, std::string_view server, std::string_view port)
{
    return ReadAccessLists(GetPrivateProfileSection(PortSectionName(server, port), file));
}

void WritePortSettings(ProfileBatch& batch, const PortSettings& port)
{
    const std::string section = PortSectionName(port.serverName, port.portName);
    batch.Write(section, "MaxSessionTime", FormatInt32(port.maxSessionTime));
    batch.Write(section, "StaticIP", FormatInt32(port.staticIP));
}

void WriteDefaultProfile(ProfileBatch& batch, const DefaultProfile& profile)
{
    batch.Write(kDefault, "MaxSessionTime", FormatInt32(profile.maxSessionTime));
    batch.Write(kDefault, "MaxTotalTime", FormatInt32(profile.maxTotalTime));
    batch.Write(kDefault, "ExpiryTime", FormatInt32(profile.expiryTime));
    batch.Write(kDefault, "PeriodMax", FormatInt32(profile.periodMax));
    batch.Write(kDefault, "PeriodType", FormatInt32(profile.periodType));
    batch.Write(kDefault, "NoDuplicate", FormatFlag(profile.noDuplicate));
    batch.Write(kDefault, "AssignDefault", FormatFlag(profile.assignDefault));
}

void WriteGreetingRules(ProfileBatch& batch, const GreetingRules& rules)
{
    batch.Write(kGreetings, "RuleMask", FormatInt32(rules.RuleMask()));
    for (std::size_t i = 0; i < rules.rules.size(); ++i)
        batch.Write(kGreetings, kRuleTextKeys[i], Quoted(rules.rules[i].text));
}

void WriteNotificationSettings(ProfileBatch& batch, const NotificationSettings& notices)
{
    for (std::size_t i = 0; i < notices.notices.size(); ++i) {
        const Notice& notice = notices.notices[i];
        if (notice.seconds != 0) {
            batch.Write(kGeneral, kNoticeKeys[i], FormatInt32(notice.seconds));
            batch.Write(kGeneral, kNoticeTextKeys[i], Quoted(notice.text));
        } else {
            // A notice that is off keeps no text.
            batch.Write(kGeneral, kNoticeKeys[i], "0");
            batch.Write(kGeneral, kNoticeTextKeys[i], "\"\"");
        }
    }
}

void WritePortAccessLists(ProfileBatch& batch, std::string_view server, std::string_view port,
                          const PortAccessLists& lists)
{
    const std::string section = PortSectionName(server, port);
    batch.Write(section, "AllowedUser", Quoted(lists.allowedUsers));
    batch.Write(section, "AllowedGroup", Quoted(lists.allowedGroups));
}

void WriteLoggers(ProfileBatch& batch, const std::vector<std::string>& servers)
{
    for (const std::string& server : servers)
        batch.Write(kLoggers, server, "1");
}

void SplitAccessList(std::string_view list, std::vector<std::string>& names,
                     std::vector<std::string>* localGroups)
{
    for (std::string name : SplitList(list, ';')) {
        if (localGroups && name.back() == '\\') {
            name.pop_back();
            if (!name.empty())
                localGroups->push_back(std::move(name));
        } else {
            names.push_back(std::move(name));
        }
    }
}

const HardwareDatabase::Port* HardwareDatabase::FindPort(std::string_view server, std::string_view port) const
{
    const auto it = ports.find(UpperAscii(PortSectionName(server, port)));
    return it == ports.end() ? nullptr : &it->second;
}

HardwareDatabase LoadHardwareDatabase(std::string_view file)
{
    HardwareDatabase hw;
    for (const std::string& section : GetPrivateProfileSectionNames(file)) {
        if (IsReservedHardwareSection(section))
            continue;
        const KeyValues keys = GetPrivateProfileSection(section, file);
        HardwareDatabase::Port port;
        port.settings = ReadPort(section, keys);
        port.lists = ReadAccessLists(keys);
        SplitAccessList(port.lists.allowedUsers, port.allowedUsers, nullptr);
        SplitAccessList(port.lists.allowedGroups, port.allowedGlobalGroups, &port.allowedLocalGroups);
        hw.ports.emplace(UpperAscii(section), std::move(port));
    }
    hw.notifications = LoadNotificationSettings(file);
    hw.defaultProfile = LoadDefaultProfile(file);
    hw.greetings = LoadGreetingRules(file);
    return hw;
}

} // namespace dm
