#pragma once
// The checks the wizard makes before it lets the person go on: RAS on this
// computer, the master's share on a remote computer, the RAS service state.
// Each shows its own messages and says whether the wizard may continue.

#include "common/userinteraction.h"
#include "setup/setupchoices.h"

#include <string>
#include <string_view>

namespace dm {

// ProgramFilesDir of the local computer followed by "\Dialmind".
std::string DefaultTargetDirectory();

// The target directory as stored: at most 500 bytes, cut at the start of a
// UTF-8 character, one trailing backslash removed.
std::string NormalizeTargetDirectory(std::string_view typed);

// The target directory for a folder picked in the folder browser: "Dialmind"
// appended, with a backslash between unless the folder ends with one. A
// folder on a drive of the local computer is named as the system names it
// ("C:\Apps").
std::string TargetFromBrowsedFolder(const std::string& folder);

// "\\NAME\DM_NT_DB" of the local computer.
std::string LocalMasterShare();

// A typed computer name with the two leading backslashes the lookup uses:
// "NAME" and "\NAME" become "\\NAME"; "\\NAME" stays as typed.
std::string FormComputerName(std::string_view typed);

// False (and a message) when RAS is not installed on this computer; a missing
// version value warns but lets the install go on.
bool CheckRasInstalled(UserInteraction& ui);

// Looks up the master's share in the registry of the typed computer. On
// success stores the share and the formed computer name in choices; on any
// failure shows the stop message of that failure and returns false.
bool LookUpRemoteMaster(std::string_view typed, SetupChoices& choices, UserInteraction& ui);

// True while the service "RemoteAccess" is running, pausing, paused or about
// to continue; any failure to query counts as not running.
bool IsRasServiceRunning();

// The warning of the confirmation step, shown when the server component is
// chosen and the RAS service runs. True when it was shown.
bool WarnIfRasServiceRunning(const SetupChoices& choices, UserInteraction& ui);

} // namespace dm
