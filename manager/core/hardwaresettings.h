#pragma once
// The document's copy of the hardware settings file Dialmind.hw: ports,
// notices, default profile and greeting rules. The document keeps one of
// these; editors change its copies and save at once. The file's format lives
// in database/hardwarefile.h, shared with dmsim.

#include "common/userinteraction.h"
#include "database/hardwarerecords.h"
#include "database/policyform.h"
#include "platform/files/filestamp.h"

#include <optional>

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
    void SetFile(std::string file)
    {
        if (file != m_file)
            m_seenStamp.reset();
        m_file = std::move(file);
    }
    const std::string& File() const { return m_file; }

    // Reads the port sections, the greeting rules, the default profile and
    // the notices. Shows "Loading settings for %s, please wait..." per port
    // section and "Ready" at the end through progress, when there is one.
    // A file that exists but cannot be read leaves every copy empty and is
    // kept as LoadError (see databasefile.h); the caller reports it.
    void Load(const ProgressSink& progress = {});
    // 0, or the error of the last Load's file.
    unsigned long LoadError() const { return m_loadError; }
    // Reloads when the file's modification time or size changed since the
    // last load (always the first time); true when it reloaded. Every editor
    // calls it as it opens, so it shows what the file holds.
    bool Refresh();

    // The saves of the editors: each writes only the keys whose value differs
    // between what the editor showed and what the person left in it, into the
    // current file under its lock, and then reloads the copies. A key another
    // writer changed meanwhile, and every key the editor does not edit, keep
    // their values. False when the file could not be written.
    bool SavePortChanges(const PortSettings& shown, const PortSettings& edited);
    bool SaveAccessListChanges(std::string_view server, std::string_view port, const PortAccessLists& shown,
                               const PortAccessLists& edited);
    bool SaveDefaultChanges(const DefaultProfile& shown, const DefaultProfile& edited);
    bool SaveGreetingChanges(const GreetingRules& shown, const GreetingRules& edited);
    bool SaveNotificationChanges(const NotificationSettings& shown, const NotificationSettings& edited);

    // One port's record and lists as the file holds them now; a port without
    // a section reads as one with no limit, no address and empty lists.
    PortSettings ReadPort(std::string_view server, std::string_view port) const;
    PortAccessLists ReadPortAccessLists(std::string_view server, std::string_view port) const;

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

    static std::string PortSectionName(std::string_view server, std::string_view port);

    // The same for any of the file's editors, by key values (dmctl policy set).
    bool SaveChanges(PolicyEditor editor, std::string_view section, const PolicyValues& shown,
                     const PolicyValues& edited);

private:

    std::string m_file;
    std::vector<PortSettings> m_ports;
    DefaultProfile m_default;
    GreetingRules m_greetings;
    NotificationSettings m_notifications;
    std::optional<FileStamp> m_seenStamp;
    unsigned long m_loadError = 0;
};

} // namespace dm
