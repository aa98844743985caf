#include "setup/uninstaller.h"

#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/system/progman.h"
#include "platform/registry/registry.h"
#include "setup/installer.h"
#include "setup/setupchecks.h"
#include "setup/setupchoices.h"
#include "setup/setupplatform.h"

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <system_error>

namespace fs = std::filesystem;

namespace dm {

namespace {

// Removes a file of the installed program when it is there.
int RemoveFile(const std::string& dir, const char* name, std::ostream& out)
{
    const fs::path file = ResolvePathOrEmpty(JoinSystemPath(dir, name));
    std::error_code ec;
    if (file.empty() || !fs::exists(file, ec))
        return 0;
    if (fs::remove(file, ec)) {
        out << "Removed " << JoinSystemPath(dir, name) << "\n";
        return 0;
    }
    out << "Could not remove " << JoinSystemPath(dir, name) << ": " << ec.message() << "\n";
    return 1;
}

int RemoveKey(const RegKey& hive, const std::string& key, std::ostream& out)
{
    const unsigned long error = hive.DeleteTree(key);
    if (error == 0)
        out << "Removed the registry key " << key << "\n";
    if (error == 0 || error == winerr::FileNotFound)
        return 0;
    out << "Could not remove the registry key " << key << " (" << error << ")\n";
    return 1;
}

std::string UninstallKeyOf(const char* name)
{
    return std::string(setupnames::UninstallKey) + "\\" + name;
}

} // namespace

int UninstallManager(std::ostream& out)
{
    RegKey hive, manager;
    if (RegOpenLocalMachine(hive) != 0) {
        out << "Cannot open the registry of this computer.\n";
        return 1;
    }
    int failures = 0;
    std::string dir;
    if (hive.OpenKey(setupnames::ManagerKey, manager) == 0 &&
        manager.QueryString("Directory", dir) == 0 && !dir.empty()) {
        for (const char* name : {"DIALMIND.EXE", "DM.HLP", kHelpPagesFile, "DM.CNT", "DMQUICK.EXE", "DMReport.Exe",
                                 kRasLibraryFile, kReportWindowFile})
            failures += RemoveFile(dir, name, out);
        manager.DeleteValue("Directory");
        out << "Removed the registry value Directory\n";
    } else {
        out << "The Dialminder Manager is not installed on this computer.\n";
    }
    failures += RemoveKey(hive, UninstallKeyOf(setupnames::ManagerUninstallName), out);
    ProgmanConversation progman;
    progman.Execute(std::string("[DeleteGroup(") + setupnames::ProgramGroup + ")]");
    out << "Removed the program group " << setupnames::ProgramGroup << "\n";
    return failures;
}

int UninstallServerComponent(std::ostream& out)
{
    RegKey hive, admin;
    if (RegOpenLocalMachine(hive) != 0) {
        out << "Cannot open the registry of this computer.\n";
        return 1;
    }
    if (IsRasServiceRunning()) {
        out << "The RAS Service is running and holds the Dialminder server component.\n"
               "Stop the RAS Service, then run the uninstallation again.\n";
        return 1;
    }
    int failures = 0;
    std::string dllPath;
    if (hive.OpenKey(setupnames::AdminDllKey, admin) == 0 &&
        admin.QueryString("DLLPath", dllPath) == 0 && !dllPath.empty()) {
        const auto cut = dllPath.find_last_of("\\/");
        const std::string dir = cut == std::string::npos ? std::string() : dllPath.substr(0, cut);
        failures += RemoveFile(dir, "DIALMIND.DLL", out);
        failures += RemoveFile(dir, "dialmind.old.dll", out);
        out << "The database in " << dir << " (Dialmind.hw, Dialmind.usr, LogData) is kept.\n";
    } else {
        out << "The Dialminder server component is not installed on this computer.\n";
    }
    admin.Close();
    failures += RemoveKey(hive, setupnames::AdminDllKey, out);
    failures += RemoveKey(hive, UninstallKeyOf(setupnames::ServerUninstallName), out);

    RegKey parameters;
    std::vector<std::string> shares;
    if (hive.OpenKey(setupnames::LanManKey, parameters) == 0 &&
        parameters.QueryMultiString("NullSessionShares", shares) == 0) {
        const auto end = std::remove(shares.begin(), shares.end(), setupnames::ShareName);
        if (end != shares.end()) {
            shares.erase(end, shares.end());
            if (parameters.SetMultiString("NullSessionShares", shares) == 0)
                out << "Removed " << setupnames::ShareName << " from NullSessionShares\n";
            else
                ++failures;
        }
    }
    if (RunCommandLine(std::string("NET SHARE ") + setupnames::ShareName + " /DELETE", false) == 0)
        out << "Removed the share " << setupnames::ShareName << "\n";
    return failures;
}

} // namespace dm
