#include "setup/setupchecks.h"

#include "common/ansitext.h"

#include "platform/files/network.h"
#include "platform/registry/registry.h"
#include "setup/installer.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include "setup/setupplatform.h"

namespace dm {

namespace {

constexpr std::size_t kTargetCapacity = 500;

void Stop(UserInteraction& ui, const std::string& text)
{
    ui.ShowMessage(text, setupnames::SetupCaption, Buttons::Ok, Icon::Error);
}

} // namespace

std::string DefaultTargetDirectory()
{
    std::string programFiles;
    RegKey hive, key;
    if (RegOpenLocalMachine(hive) == 0 && hive.OpenKey(setupnames::WindowsVersionKey, key) == 0)
        key.QueryString("ProgramFilesDir", programFiles, 600);
    // A computer without the value still gets a usable default.
    if (programFiles.empty())
        programFiles = "C:\\Program Files";
    return programFiles + "\\Dialmind";
}

std::string NormalizeTargetDirectory(std::string_view field)
{
    // A byte of the Windows code page (from an answers file or the registry)
    // is taken as its letter: the directory gets a name that every file
    // naming it (menu entries, registry values) can hold as UTF-8.
    const std::string text = AnsiToUtf8(field);
    const std::string_view typed = text;
    // The cut never splits a UTF-8 character: it backs off to the character's start.
    std::size_t length = std::min(typed.size(), kTargetCapacity);
    while (length > 0 && length < typed.size() &&
           (static_cast<unsigned char>(typed[length]) & 0xC0) == 0x80)
        --length;
    std::string dir(typed.substr(0, length));
    if (!dir.empty() && dir.back() == '\\')
        dir.pop_back();
    return dir;
}

std::string TargetFromBrowsedFolder(const std::string& folder)
{
    std::string dir = folder;
    const auto computer = Network::ComputerDir(Network::LocalComputerName());
    if (computer && !dir.empty() && dir.front() == '/') {
        const std::filesystem::path drives = *computer / "drives";
        const std::filesystem::path relative = std::filesystem::path(dir).lexically_relative(drives);
        if (!relative.empty() && *relative.begin() != ".." && relative.begin()->string().size() == 1) {
            std::string system = relative.begin()->string() + ":";
            for (auto it = std::next(relative.begin()); it != relative.end(); ++it)
                if (!it->empty() && *it != ".")
                    system += "\\" + it->string();
            dir = system.size() == 2 ? system + "\\" : system;
        }
    }
    if (!dir.empty() && (dir.back() == '\\' || dir.back() == '/'))
        return dir + "Dialmind";
    return JoinSystemPath(dir, "Dialmind");
}

std::string LocalMasterShare()
{
    return "\\\\" + Network::LocalComputerName() + "\\" + setupnames::ShareName;
}

std::string FormComputerName(std::string_view typed)
{
    if (typed.substr(0, 2) == "\\\\")
        return std::string(typed);
    if (typed.substr(0, 1) == "\\")
        return "\\" + std::string(typed);
    return "\\\\" + std::string(typed);
}

bool CheckRasInstalled(UserInteraction& ui)
{
    RegKey hive, key;
    if (RegOpenLocalMachine(hive) != 0 || hive.OpenKey(setupnames::RasVersionKey, key) != 0) {
        ui.ShowMessage("Warning: Found no RAS installed on this computer.\n\n"
                       "In order to properly install the Server Component\n"
                       "you first need to have RAS present.",
                       setupnames::SetupCaption, Buttons::Ok, Icon::Information);
        return false;
    }
    RegValue version;
    if (key.QueryValue("MajorVersion", version) != 0)
        ui.ShowMessage("Warning: Unable to verify software version of RAS. You may continue to "
                       "install Dialminder, but might face problems later. You will need to have "
                       "RAS v4.0, or higher, present on the system.",
                       setupnames::SetupCaption, Buttons::Ok, Icon::Information);
    return true;
}

bool LookUpRemoteMaster(std::string_view typed, SetupChoices& choices, UserInteraction& ui)
{
    const std::string computer = FormComputerName(typed);
    RegKey hive;
    if (unsigned long error = RegConnectRegistry(computer, hive)) {
        Stop(ui, "Error: Failed to connect to remote computer (" + std::to_string(error) + ").");
        return false;
    }
    RegKey key;
    if (unsigned long error = hive.OpenKey(setupnames::AdminDllKey, key)) {
        if (error == winerr::AccessDenied)
            Stop(ui, "Error: Failed to open RAS registry key on remote computer.\n\n"
                     "You do not have permissions to access the key.");
        else if (error == winerr::FileNotFound)
            Stop(ui, "Error: Failed to open RAS registry key on remote computer.\n\n"
                     "There is no RAS software installed on remote computer.");
        else
            Stop(ui, "Error: Failed to open RAS registry key on remote computer\n\nError number (" +
                         std::to_string(error) + ").\n\nVerify that RAS is installed on the computer.");
        return false;
    }
    std::string share;
    if (key.QueryString("MasterShare", share, 600) != 0) {
        Stop(ui, "Error: Failed to locate a Dialminder Server on the specified remote computer");
        return false;
    }
    choices.masterShare = share;
    choices.masterComputer = computer;
    return true;
}

bool IsRasServiceRunning()
{
    unsigned long state = 0;
    if (QueryLocalServiceState("RemoteAccess", state) != 0)
        return false;
    return (state & 4) != 0;
}

bool WarnIfRasServiceRunning(const SetupChoices& choices, UserInteraction& ui)
{
    if (!choices.installServer || !IsRasServiceRunning())
        return false;
    ui.ShowMessage("Warning: Setup has detected that the RAS Service is running.\n\n"
                   "In order to successfully install the Dialminder Server component,\n"
                   "make sure to shut down the RAS Service before continuing.\n"
                   "Now is a good time to switch to the Control Panel.\n\n"
                   "Click OK when the RAS Service is stopped to continue the installation.",
                   setupnames::SetupCaption, Buttons::Ok, Icon::Warning);
    return true;
}

} // namespace dm
