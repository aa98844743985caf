#include "manager/core/hardwaresettings.h"

#include "manager/core/profilevalues.h"
#include "platform/profile.h"

namespace dm {

namespace {

constexpr std::string_view kGeneral = "General";
constexpr std::string_view kDefault = "Default";
constexpr std::string_view kGreetings = "Greetings";
constexpr std::string_view kLoggers = "Loggers";

// Sections that are never port sections. The comparison is exact: a section
// "general" is a port section, as the server component also takes it.
bool IsReservedSection(std::string_view name)
{
    return name == kGreetings || name == kDefault || name == kLoggers || name == kGeneral;
}

const char* const kRuleTextKeys[3] = {"Rule0Text", "Rule1Text", "Rule2Text"};
const char* const kNoticeKeys[2] = {"Notify1", "Notify2"};
const char* const kNoticeTextKeys[2] = {"Notify1Text", "Notify2Text"};

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

std::string HardwareSettings::FileNameIn(std::string_view databaseDirectory)
{
    return std::string(databaseDirectory) + "\\Dialmind.hw";
}

std::string HardwareSettings::PortSectionName(std::string_view server, std::string_view port)
{
    std::string name(server);
    name += '\\';
    name += port;
    return name;
}

void HardwareSettings::Load(const ProgressSink& progress)
{
    m_ports.clear();
    m_greetings = {};
    m_default = {};
    if (m_file.empty())
        return;

    for (const std::string& section : GetPrivateProfileSectionNames(m_file)) {
        if (IsReservedSection(section))
            continue;
        if (progress) {
            progress("Loading settings for " + section + ", please wait...");
        }
        PortSettings record;
        // The server name is the text before the first backslash; a section
        // without one (never written by the system) gets an empty port name.
        const std::size_t slash = section.find('\\');
        record.serverName = section.substr(0, slash);
        record.portName = slash == std::string::npos ? std::string() : section.substr(slash + 1);
        const auto keys = GetPrivateProfileSection(section, m_file);
        record.maxSessionTime = ParseInt32(FindValue(keys, "MaxSessionTime"));
        record.staticIP = ParseBits32(FindValue(keys, "StaticIP"));
        m_ports.push_back(std::move(record));
    }

    const auto greetings = GetPrivateProfileSection(kGreetings, m_file);
    m_greetings.SetRuleMask(ParseInt32(FindValue(greetings, "RuleMask")));
    for (std::size_t i = 0; i < m_greetings.rules.size(); ++i)
        m_greetings.rules[i].text =
            CutToCapacity(std::string(FindValue(greetings, kRuleTextKeys[i], "")),
                          GreetingRule::TextCapacity);

    const auto profile = GetPrivateProfileSection(kDefault, m_file);
    m_default.noDuplicate = ParseInt32(FindValue(profile, "NoDuplicate")) != 0;
    m_default.maxTotalTime = ParseInt32(FindValue(profile, "MaxTotalTime"));
    m_default.maxSessionTime = ParseInt32(FindValue(profile, "MaxSessionTime"));
    m_default.expiryTime = ParseInt32(FindValue(profile, "ExpiryTime"));
    m_default.periodMax = ParseInt32(FindValue(profile, "PeriodMax"));
    m_default.periodType = ParseInt32(FindValue(profile, "PeriodType"));
    m_default.assignDefault = ParseInt32(FindValue(profile, "AssignDefault")) != 0;

    if (progress)
        progress("Ready");
}

bool HardwareSettings::Save() const
{
    if (m_file.empty())
        return false;
    // One locked read-modify-write: the server components reading the file
    // never see the port sections updated without the rest.
    ProfileBatch batch(m_file);
    for (const PortSettings& port : m_ports) {
        const std::string section = PortSectionName(port.serverName, port.portName);
        batch.Write(section, "MaxSessionTime", FormatInt32(port.maxSessionTime));
        batch.Write(section, "StaticIP", FormatInt32(port.staticIP));
    }
    WriteDefaultProfile(batch, m_default);
    batch.Write(kGreetings, "RuleMask", FormatInt32(m_greetings.RuleMask()));
    for (std::size_t i = 0; i < m_greetings.rules.size(); ++i)
        batch.Write(kGreetings, kRuleTextKeys[i], Quoted(m_greetings.rules[i].text));
    return batch.Commit();
}

bool HardwareSettings::SaveDefaultProfile() const
{
    if (m_file.empty())
        return false;
    ProfileBatch batch(m_file);
    WriteDefaultProfile(batch, m_default);
    return batch.Commit();
}

int HardwareSettings::AddPortSettings(std::string_view server, std::string_view port)
{
    PortSettings record;
    record.serverName = server;
    record.portName = port;
    m_ports.push_back(std::move(record));
    Save();
    return static_cast<int>(m_ports.size()) - 1;
}

int HardwareSettings::FindPort(std::string_view server, std::string_view port) const
{
    for (std::size_t i = 0; i < m_ports.size(); ++i)
        if (m_ports[i].serverName == server && m_ports[i].portName == port)
            return static_cast<int>(i);
    return -1;
}

bool HardwareSettings::LoadPortAccessLists(std::string_view server, std::string_view port)
{
    m_accessLists = {};
    if (m_file.empty())
        return true;
    const auto keys = GetPrivateProfileSection(PortSectionName(server, port), m_file);
    m_accessLists.allowedUsers =
        CutToCapacity(std::string(FindValue(keys, "AllowedUser", "")), PortAccessLists::Capacity);
    m_accessLists.allowedGroups =
        CutToCapacity(std::string(FindValue(keys, "AllowedGroup", "")), PortAccessLists::Capacity);
    return true;
}

bool HardwareSettings::SavePortAccessLists(std::string_view server, std::string_view port)
{
    if (m_file.empty())
        return false;
    const std::string section = PortSectionName(server, port);
    ProfileBatch batch(m_file);
    batch.Write(section, "AllowedUser", Quoted(m_accessLists.allowedUsers));
    batch.Write(section, "AllowedGroup", Quoted(m_accessLists.allowedGroups));
    const bool written = batch.Commit();
    return Save() && written;
}

void HardwareSettings::LoadNotificationSettings()
{
    m_notifications = {};
    if (m_file.empty())
        return;
    const auto general = GetPrivateProfileSection(kGeneral, m_file);
    for (std::size_t i = 0; i < m_notifications.notices.size(); ++i) {
        Notice& notice = m_notifications.notices[i];
        notice.text =
            CutToCapacity(std::string(FindValue(general, kNoticeTextKeys[i], "")), Notice::TextCapacity);
        notice.seconds = ParseInt32(FindValue(general, kNoticeKeys[i]));
    }
}

bool HardwareSettings::SaveNotificationSettings() const
{
    if (m_file.empty())
        return false;
    ProfileBatch batch(m_file);
    for (std::size_t i = 0; i < m_notifications.notices.size(); ++i) {
        const Notice& notice = m_notifications.notices[i];
        if (notice.seconds != 0) {
            batch.Write(kGeneral, kNoticeKeys[i], FormatInt32(notice.seconds));
            batch.Write(kGeneral, kNoticeTextKeys[i], Quoted(notice.text));
        } else {
            // A notice that is off keeps no text.
            batch.Write(kGeneral, kNoticeKeys[i], "0");
            batch.Write(kGeneral, kNoticeTextKeys[i], "\"\"");
        }
    }
    return batch.Commit();
}

} // namespace dm
