#pragma once
// The document's copy of the hardware settings file Dialmind.hw: ports,
// notices, default profile and greeting rules. The document keeps one of
// these; editors change its copies and save at once. The file's format lives
// in database/hardwarefile.h, shared with dmsim.

#include "common/userinteraction.h"
#include "database/hardwarerecords.h"

#include <string>
#include <string_view>
#include <vector>

namespace dm {

class HardwareSettings {
public:
    // "%s\Dialmind.hw" of a database directory.
    static std::string FileNameIn(std::string_view databaseDirectory);

    // The file every operation works on; empty until a database is known, in
    // which case loads read nothing and saves write nothing.
    void SetFile(std::string file) { m_file = std::move(file); }
    const std::string& File() const { return m_file; }

    // Reads the port sections, the greeting rules and the default profile.
    // Shows "Loading settings for %s, please wait..." per port section and
    // "Ready" at the end through progress, when there is one.
    void Load(const ProgressSink& progress = {});
    // Writes every port record, then the default profile, then the greeting rules.
    bool Save() const;
    bool SaveDefaultProfile() const;
    // Appends a record with no limit and no address and saves, which creates
    // its section (or rewrites the numbers of one left in the file).
    int AddPortSettings(std::string_view server, std::string_view port);
    // Reads AllowedUser and AllowedGroup of server\port into AccessLists().
    bool LoadPortAccessLists(std::string_view server, std::string_view port);
    // Writes both lists quoted into server\port, then saves the rest.
    bool SavePortAccessLists(std::string_view server, std::string_view port);

    void LoadNotificationSettings();
    // A notice that is off is written as "0" with an empty quoted text.
    bool SaveNotificationSettings() const;

    // The index of the record of server\port (exact comparison), or -1.
    int FindPort(std::string_view server, std::string_view port) const;

    std::vector<PortSettings>& Ports() { return m_ports; }
    const std::vector<PortSettings>& Ports() const { return m_ports; }
    DefaultProfile& Default() { return m_default; }
    const DefaultProfile& Default() const { return m_default; }
    GreetingRules& Greetings() { return m_greetings; }
    const GreetingRules& Greetings() const { return m_greetings; }
    NotificationSettings& Notifications() { return m_notifications; }
    const NotificationSettings& Notifications() const { return m_notifications; }
    PortAccessLists& AccessLists() { return m_accessLists; }
    const PortAccessLists& AccessLists() const { return m_accessLists; }

    static std::string PortSectionName(std::string_view server, std::string_view port);

private:
    std::string m_file;
    std::vector<PortSettings> m_ports;
    DefaultProfile m_default;
    GreetingRules m_greetings;
    NotificationSettings m_notifications;
    PortAccessLists m_accessLists;
};

} // namespace dm
