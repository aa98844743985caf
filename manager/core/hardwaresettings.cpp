#include "manager/core/hardwaresettings.h"

#include "database/hardwarefile.h"
#include "manager/core/databasefile.h"
#include "platform/files/profile.h"

namespace dm {

std::string HardwareSettings::FileNameIn(std::string_view databaseDirectory)
{
    return HardwareFileIn(databaseDirectory);
}

std::string HardwareSettings::PortSectionName(std::string_view server, std::string_view port)
{
    return dm::PortSectionName(server, port);
}

void HardwareSettings::Load(const ProgressSink& progress)
{
    m_ports.clear();
    m_greetings = {};
    m_default = {};
    m_notifications = {};
    m_seenStamp = StampOf(m_file);
    m_loadError = DatabaseFileError(m_file);
    if (m_file.empty() || m_loadError != 0)
        return;
    m_ports = LoadPortSettings(m_file, progress);
    m_greetings = LoadGreetingRules(m_file);
    m_default = LoadDefaultProfile(m_file);
    m_notifications = dm::LoadNotificationSettings(m_file);
    if (progress)
        progress("Ready");
}

bool HardwareSettings::Refresh()
{
    if (m_seenStamp && *m_seenStamp == StampOf(m_file))
        return false;
    Load();
    return true;
}

bool HardwareSettings::SaveChanges(PolicyEditor editor, std::string_view section, const PolicyValues& shown,
                                   const PolicyValues& edited)
{
    if (m_file.empty())
        return false;
    ProfileBatch batch(m_file);
    if (WritePolicyChanges(batch, editor, section, shown, edited) == 0)
        return true;
    if (!batch.Commit())
        return false;
    Load();
    return true;
}

bool HardwareSettings::SavePortChanges(const PortSettings& shown, const PortSettings& edited)
{
    // The lists are the policies page's; equal on both sides, they are not written.
    return SaveChanges(PolicyEditor::Port, PortSectionName(edited.serverName, edited.portName),
                       PolicyValuesOf(shown, {}), PolicyValuesOf(edited, {}));
}

bool HardwareSettings::SaveAccessListChanges(std::string_view server, std::string_view port,
                                             const PortAccessLists& shown, const PortAccessLists& edited)
{
    PortSettings record;
    record.serverName = server;
    record.portName = port;
    return SaveChanges(PolicyEditor::Port, PortSectionName(server, port), PolicyValuesOf(record, shown),
                       PolicyValuesOf(record, edited));
}

bool HardwareSettings::SaveDefaultChanges(const DefaultProfile& shown, const DefaultProfile& edited)
{
    return SaveChanges(PolicyEditor::Default, "Default", PolicyValuesOf(shown), PolicyValuesOf(edited));
}

bool HardwareSettings::SaveGreetingChanges(const GreetingRules& shown, const GreetingRules& edited)
{
    return SaveChanges(PolicyEditor::Greetings, "Greetings", PolicyValuesOf(shown), PolicyValuesOf(edited));
}

bool HardwareSettings::SaveNotificationChanges(const NotificationSettings& shown, const NotificationSettings& edited)
{
    return SaveChanges(PolicyEditor::Notifications, "General", PolicyValuesOf(shown), PolicyValuesOf(edited));
}

PortSettings HardwareSettings::ReadPort(std::string_view server, std::string_view port) const
{
    if (m_file.empty()) {
        PortSettings record;
        record.serverName = server;
        record.portName = port;
        return record;
    }
    return LoadPort(m_file, server, port);
}

PortAccessLists HardwareSettings::ReadPortAccessLists(std::string_view server, std::string_view port) const
{
    return m_file.empty() ? PortAccessLists() : LoadPortAccessLists(m_file, server, port);
}

int HardwareSettings::FindPort(std::string_view server, std::string_view port) const
{
    for (std::size_t i = 0; i < m_ports.size(); ++i)
        if (m_ports[i].serverName == server && m_ports[i].portName == port)
            return static_cast<int>(i);
    return -1;
}

} // namespace dm
