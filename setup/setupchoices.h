#pragma once
// What the person chose in the wizard (or the answers file of an unattended
// install): the one record the installation run and the migration work from.

#include <string>

namespace dm {

struct SetupChoices {
    // Where files go; on a master also the shared database directory. At
    // most 500 characters, no trailing backslash.
    std::string targetDirectory;
    bool installManager = true;
    bool installServer = true;
    bool isMaster = true;
    // The database directory the server component will use: "\\NAME\DM_NT_DB".
    std::string masterShare;
    // The master's computer ("\\NAME") when this is not the master.
    std::string masterComputer;
};

// Names shared by the installation steps, the checks and the uninstaller.
namespace setupnames {
constexpr const char* ShareName = "DM_NT_DB";
constexpr const char* AdminDllKey = "Software\\Microsoft\\RAS\\AdminDLL";
constexpr const char* RasVersionKey = "Software\\Microsoft\\Ras\\CurrentVersion";
constexpr const char* WindowsVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* ManagerKey = "Software\\Osterhall Software\\Dialminder";
constexpr const char* UninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr const char* ServerUninstallName = "Dialminder Server";
constexpr const char* ManagerUninstallName = "Dialminder Manager";
constexpr const char* LanManKey = "System\\CurrentControlSet\\Services\\LanManServer\\Parameters";
constexpr const char* ProgramGroup = "Dialminder for Windows NT";
constexpr const char* SetupCaption = "Dialminder Setup";
} // namespace setupnames

} // namespace dm
