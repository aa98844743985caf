#pragma once
// Reading and writing Dialmind.hw: the port sections, the notices (General),
// the default profile (Default) and the greeting rules (Greetings). The
// manager's document and dmsim both go through these functions, so the file
// has one reader and one writer.
//
// Readers take the file's system name (resolved by the profile layer); a
// missing file reads as one without sections. Writers add their keys to a
// ProfileBatch, so a caller decides what goes into one locked replace.

#include "common/userinteraction.h"
#include "database/hardwarerecords.h"

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

class ProfileBatch;

// "%s\Dialmind.hw" of a database directory.
std::string HardwareFileIn(std::string_view databaseDirectory);
// "server\port".
std::string PortSectionName(std::string_view server, std::string_view port);
// General, Default, Greetings and Loggers, compared exactly: a section named
// "general" is a port section.
bool IsReservedHardwareSection(std::string_view section);

// The port sections in file order. Shows "Loading settings for %s, please
// wait..." per section through progress, when there is one.
std::vector<PortSettings> LoadPortSettings(std::string_view file, const ProgressSink& progress = {});
GreetingRules LoadGreetingRules(std::string_view file);
DefaultProfile LoadDefaultProfile(std::string_view file);
NotificationSettings LoadNotificationSettings(std::string_view file);
// One port section read fresh (every value 0 when the file has none).
PortSettings LoadPort(std::string_view file, std::string_view server, std::string_view port);
PortAccessLists LoadPortAccessLists(std::string_view file, std::string_view server, std::string_view port);

void WritePortSettings(ProfileBatch& batch, const PortSettings& port);
// MaxSessionTime, MaxTotalTime, ExpiryTime, PeriodMax, PeriodType, NoDuplicate, AssignDefault.
void WriteDefaultProfile(ProfileBatch& batch, const DefaultProfile& profile);
// RuleMask, then the three texts quoted.
void WriteGreetingRules(ProfileBatch& batch, const GreetingRules& rules);
// A notice that is off is written as "0" with an empty quoted text.
void WriteNotificationSettings(ProfileBatch& batch, const NotificationSettings& notices);
void WritePortAccessLists(ProfileBatch& batch, std::string_view server, std::string_view port,
                          const PortAccessLists& lists);
// Section Loggers: each server whose server component writes the activity
// log, as "1". The manager never reads it.
void WriteLoggers(ProfileBatch& batch, const std::vector<std::string>& servers);

// An access list ("A;B\;C;") split into its names; a name that ends with a
// backslash is a local group and goes to localGroups without it (when given).
void SplitAccessList(std::string_view list, std::vector<std::string>& names,
                     std::vector<std::string>* localGroups);

// The whole file at once, as the server component reads it: every port with
// its access lists, looked up without regard to case.
struct HardwareDatabase {
    struct Port {
        PortSettings settings;
        PortAccessLists lists;
        std::vector<std::string> allowedUsers;        // DOMAIN\name
        std::vector<std::string> allowedGlobalGroups; // SOURCE\group
        std::vector<std::string> allowedLocalGroups;  // SOURCE\group, without the trailing backslash

        bool Restricted() const
        {
            return !allowedUsers.empty() || !allowedGlobalGroups.empty() || !allowedLocalGroups.empty();
        }
    };
    std::map<std::string, Port> ports; // by upper-case "SERVER\PORT"; the first section of a name wins
    DefaultProfile defaultProfile;
    NotificationSettings notifications;
    GreetingRules greetings;

    const Port* FindPort(std::string_view server, std::string_view port) const;
};
HardwareDatabase LoadHardwareDatabase(std::string_view file);

} // namespace dm
