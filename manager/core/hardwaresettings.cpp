#include "manager/core/hardwaresettings.h"

#include "database/hardwarefile.h"
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
    if (m_file.empty())
        return;
    m_ports = LoadPortSettings(m_file, progress);
    m_greetings = LoadGreetingRules(m_file);
    m_default = LoadDefaultProfile(m_file);
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
    for (const PortSettings& port : m_ports)
        WritePortSettings(batch, port);
    WriteDefaultProfile(batch, m_default);
    WriteGreetingRules(batch, m_greetings);
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
    m_accessLists = m_file.empty() ? PortAccessLists() : dm::LoadPortAccessLists(m_file, server, port);
    return true;
}

bool HardwareSettings::SavePortAccessLists(std::string_view server, std::string_view port)
{
    if (m_file.empty())
        return false;
    ProfileBatch batch(m_file);
    WritePortAccessLists(batch, server, port, m_accessLists);
    const bool written = batch.Commit();
    return Save() && written;
}

void HardwareSettings::LoadNotificationSettings()
{
    m_notifications = m_file.empty() ? NotificationSettings() : dm::LoadNotificationSettings(m_file);
}

bool HardwareSettings::SaveNotificationSettings() const
{
    if (m_file.empty())
        return false;
    ProfileBatch batch(m_file);
    WriteNotificationSettings(batch, m_notifications);
    return batch.Commit();
}

} // namespace dm
