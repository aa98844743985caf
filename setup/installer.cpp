#include "setup/installer.h"

#include "platform/files/lzexpand.h"
#include "platform/files/network.h"
#include "platform/files/pathresolver.h"
#include "platform/registry/registry.h"

#include <chrono>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace dm {

namespace {

constexpr const char* kErrorHeading = "ERROR: An error occured during the installation.\n\n";

std::string UnableToCreate(const char* value)
{
    return std::string("Unable to create '") + value + "' Registry Value.";
}

} // namespace

Installer::Installer(const SetupChoices& choices, UserInteraction& ui, InstallProgress& progress,
                     fs::path sourceDir, unsigned pauseMs)
    : m_choices(choices), m_ui(ui), m_progress(progress), m_sourceDir(std::move(sourceDir)),
      m_pauseMs(pauseMs), m_windowsDir(WindowsDirectoryName)
{
}

void Installer::ShowInstallStep(const std::string& step, const std::string& detail, int position)
{
    m_progress.SetStep(step, detail, position);
    if (m_pauseMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(m_pauseMs));
}

void Installer::Error(const std::string& reason)
{
    m_ui.ShowMessage(kErrorHeading + reason, setupnames::SetupCaption, Buttons::Ok, Icon::Error);
}

bool Installer::Abort(const std::string& reason)
{
    Error(reason);
    m_ui.ShowMessage("Installation will abort!", setupnames::SetupCaption, Buttons::Ok, Icon::Error);
    return false;
}

bool Installer::Run()
{
    // Nothing is written from a medium that cannot complete the installation:
    // registry values and menu entries would point at programs that are not there.
    const std::vector<std::string> missing =
        MissingMediumFiles(m_sourceDir, m_choices.installManager, m_choices.installServer);
    if (!missing.empty()) {
        m_ui.ShowMessage(IncompleteMediumMessage(m_sourceDir, missing), setupnames::SetupCaption,
                         Buttons::Ok, Icon::Error);
        return false;
    }
    CreateTargetDirectory();
    if (m_choices.installManager)
        CopyManagerFiles();
    ShowInstallStep("Copying Files", "UnInstall", 25);
    InstallFile("NT_PURGE.EXE*", false, InstalledFile::Plain);
    if (m_choices.installServer)
        CopyServerFiles();
    InstallRuntimeFile("MFC42.DLL", 50);
    InstallRuntimeFile("MSVCRT40.DLL", 55);
    if (m_choices.installServer && !WriteServerRegistry())
        return false;
    if (m_choices.installManager && !WriteManagerRegistry())
        return false;
    ShowInstallStep("Finishing", "Clean up", 100);
    return true;
}

// Creates the directory (and the directories above it) unless it exists.
// False for a path that does not resolve, that would leave the network, or
// that this machine refuses (a name too long, a loop of links, no room).
namespace {
bool CreateSystemDirectory(const std::string& systemPath)
{
    ResolvedPath target = ResolveStoredPathOn(Network::LocalComputerName(), systemPath);
    if (target.ok())
        target = ResolveWriteTarget(target.path);
    if (!target.ok())
        return false;
    std::error_code ec;
    fs::create_directories(target.path, ec);
    return fs::is_directory(target.path, ec);
}
} // namespace

void Installer::CreateTargetDirectory()
{
    ShowInstallStep("Creating Target Directory", m_choices.targetDirectory, 10);
    // The whole path is created: a computer of the emulated network may lack
    // directories ("Program Files") that every real one has.
    if (!CreateSystemDirectory(m_choices.targetDirectory)) {
        Error("Unable to create target directory!");
        m_problems.push_back("the target directory " + m_choices.targetDirectory +
                             " could not be created");
    }
    if (m_choices.installServer)
        CreateSystemDirectory(JoinSystemPath(m_choices.targetDirectory, "LogData"));
}

void Installer::CopyManagerFiles()
{
    ShowInstallStep("Copying Files", "DIALMIND.EXE", 20);
    InstallFile("DIALMIND.EXE", false, InstalledFile::Plain);
    // The RAS administration library the manager and LiveGlance load from
    // beside themselves ("RASSAPI.DLL").
    InstallFile(kRasLibraryFile, false, InstalledFile::Plain);
    ShowInstallStep("Copying Files", "Help files", 21);
    InstallFile("DM.HLP", false, InstalledFile::Plain);
    InstallFile("DM.CNT", false, InstalledFile::Plain);
    // The desktop takes ".HLP" for another system's help format: the menu
    // entry opens the same pages under the name of what they are.
    InstallHelpPages();
    ShowInstallStep("Copying Files", "LiveGlance", 22);
    InstallFile("DMQUICK.EXE", false, InstalledFile::Plain);
    ShowInstallStep("Copying Files", "DMReport", 23);
    InstallFile("DMReport.Exe", false, InstalledFile::Plain);
    // DMReport's window and printing, loaded from beside the program.
    InstallFile(kReportWindowFile, false, InstalledFile::Plain);
}

void Installer::InstallHelpPages()
{
    const ResolvedPath target = ResolvePath(JoinSystemPath(m_choices.targetDirectory, kHelpPagesFile));
    if (!target.ok())
        return; // reported with the target directory
    if (const unsigned long error = LZCopyFile(SourcePath("DM.HLP"), target.path); error != 0)
        m_problems.push_back(std::string(kHelpPagesFile) + " was not installed (error " +
                             std::to_string(error) + ")");
}

void Installer::CopyServerFiles()
{
    // Keep the previous component beside the new one. While the RAS service
    // holds it, it can be neither renamed nor deleted (see InstallFile).
    const std::string& dir = m_choices.targetDirectory;
    const fs::path old = ResolvePathOrEmpty(JoinSystemPath(dir, "dialmind.old.dll"));
    const fs::path current = ResolvePathOrEmpty(JoinSystemPath(dir, "dialmind.dll"));
    if (!IsComponentLocked() && !old.empty() && !current.empty()) {
        // A copy, not a move: when the new component cannot be installed
        // (a full disk) the current one stays where the RAS service loads it.
        std::error_code ec;
        fs::remove(old, ec);
        if (fs::exists(current, ec))
            fs::copy_file(current, old.parent_path() / "dialmind.old.dll", ec);
    }
    ShowInstallStep("Copying Files", "DIALMIND.DLL", 30);
    InstallFile("DIALMIND.DLL", false, InstalledFile::ServerComponent);
    ShowInstallStep("Copying Files", "DIALMIND.USR", 41);
    InstallFile("DIALMIND.USR", true, InstalledFile::UserSettings);
    ShowInstallStep("Copying Files", "DIALMIND.HW", 41);
    InstallFile("DIALMIND.HW", true, InstalledFile::HardwareSettings);
}

bool Installer::WriteServerRegistry()
{
    if (m_choices.isMaster)
        ShareDatabaseDirectory();

    ShowInstallStep("Building Registry", "Osterhall Software", 80);
    RegKey hive, software, admin;
    // "Software" exists on every real computer; an emulated one may start empty.
    if (RegOpenLocalMachine(hive) != 0 || hive.CreateKey("Software", software) != 0)
        return Abort("Unable to Open Registry.");
    if (software.CreateKey("Microsoft\\RAS\\AdminDLL", admin) != 0)
        return Abort("Unable to create 'AdminDLL' Registry Key.");

    const std::string& dir = m_choices.targetDirectory;
    ShowInstallStep("Building Registry", "DLLPath", 81);
    if (admin.SetString("DLLPath", JoinSystemPath(dir, "DIALMIND.DLL")) != 0)
        return Abort(UnableToCreate("DLLPath"));
    ShowInstallStep("Building Registry", "DATAPath", 82);
    if (admin.SetString("DATAPath", JoinSystemPath(dir, "")) != 0)
        return Abort(UnableToCreate("DATAPath"));
    ShowInstallStep("Building Registry", "DisplayName", 83);
    if (admin.SetString("DisplayName", "Dialminder by Osterhall Software") != 0)
        return Abort(UnableToCreate("DisplayName"));
    ShowInstallStep("Building Registry", "Share", 88);
    if (admin.SetString("MasterShare", m_choices.masterShare) != 0)
        return Abort(UnableToCreate("MasterShare"));
    ShowInstallStep("Building Registry", "Share", 89);
    admin.SetDword("IdleTimer", 0);
    admin.SetDword("IdleBytesLimit", 2000);
    if (admin.SetDword("Master", m_choices.isMaster ? 1 : 0) != 0)
        return Abort(UnableToCreate("Master"));

    if (m_choices.isMaster)
        ShareDatabaseDirectory();

    ShowInstallStep("Building Registry", "Version", 90);
    if (admin.SetString("Version", "V1.40") != 0)
        return Abort(UnableToCreate("Version"));

    RegKey uninstall;
    const std::string key = std::string(setupnames::UninstallKey) + "\\" +
                            setupnames::ServerUninstallName;
    ShowInstallStep("Building Registry", "DisplayName", 91);
    if (hive.CreateKey(key, uninstall) != 0 ||
        uninstall.SetString("DisplayName", "Dialminder Server Component") != 0)
        return Abort(UnableToCreate("DisplayName"));
    ShowInstallStep("Building Registry", "UninstallString", 92);
    if (uninstall.SetString("UninstallString", JoinSystemPath(m_windowsDir, "NT_PURGE.EXE S")) != 0)
        return Abort(UnableToCreate("UninstallString"));
    return true;
}

bool Installer::WriteManagerRegistry()
{
    RegKey hive, manager, uninstall;
    if (RegOpenLocalMachine(hive) == 0 && hive.CreateKey(setupnames::ManagerKey, manager) == 0)
        manager.SetString("Directory", m_choices.targetDirectory);

    const std::string key = std::string(setupnames::UninstallKey) + "\\" +
                            setupnames::ManagerUninstallName;
    ShowInstallStep("Building Registry", "DisplayName", 93);
    if (!hive.IsOpen() || hive.CreateKey(key, uninstall) != 0 ||
        uninstall.SetString("DisplayName", "Dialminder Manager") != 0)
        return Abort(UnableToCreate("DisplayName"));
    ShowInstallStep("Building Registry", "UninstallString", 94);
    if (uninstall.SetString("UninstallString", JoinSystemPath(m_windowsDir, "NT_PURGE.EXE C")) != 0)
        return Abort(UnableToCreate("UninstallString"));

    ShowInstallStep("Creating Folders and Icons", " ", 96);
    CreateProgramGroup();
    return true;
}

} // namespace dm
