// The single steps of the installation run: one file, the runtime files,
// the share of the database directory and the program group.

#include "common/text.h"
#include "setup/installer.h"

#include "platform/files/pathresolver.h"
#include "platform/system/progman.h"
#include "platform/registry/registry.h"
#include "platform/files/verinstall.h"
#include "platform/files/lzexpand.h"
#include "platform/files/hosterror.h"
#include "platform/files/network.h"
#include "setup/setupchecks.h"
#include "setup/setupplatform.h"

#include <algorithm>
#include <cctype>
#include <system_error>

namespace fs = std::filesystem;

namespace dm {

namespace {

bool IsProgram(std::string_view name)
{
    return name.size() > 4 && EndsWithNoCase(name, ".exe");
}

} // namespace

std::string JoinSystemPath(const std::string& dir, std::string_view name)
{
    const char separator = !dir.empty() && dir.front() == '/' ? '/' : '\\';
    return dir + separator + std::string(name);
}

std::string QuoteIfBlank(const std::string& path)
{
    return path.find(' ') == std::string::npos ? path : "\"" + path + "\"";
}

std::string Installer::SourceName(std::string_view installedName)
{
    if (LowerAscii(installedName) == "dialmind.hw")
        return "Dialmind.hw_";
    std::string name(installedName);
    if (!name.empty())
        name.back() = '_';
    return name;
}

std::vector<std::string> InstalledFileNames(bool manager, bool server)
{
    std::vector<std::string> names;
    if (manager)
        names = {"DIALMIND.EXE", kRasLibraryFile, "DM.HLP",       "DM.CNT",
                 "DMQUICK.EXE",  "DMReport.Exe",  kReportWindowFile};
    names.push_back("NT_PURGE.EXE");
    if (server)
        names.insert(names.end(), {"DIALMIND.DLL", "DIALMIND.USR", "DIALMIND.HW"});
    names.insert(names.end(), {"MFC42.DLL", "MSVCRT40.DLL"});
    return names;
}

std::vector<std::string> MissingMediumFiles(const fs::path& sourceDir, bool manager, bool server)
{
    std::vector<std::string> missing;
    std::error_code ec;
    for (const std::string& name : InstalledFileNames(manager, server)) {
        const std::string source = Installer::SourceName(name);
        if (!fs::is_regular_file(MatchCaseInsensitive(sourceDir / source), ec))
            missing.push_back(source);
    }
    return missing;
}

std::string IncompleteMediumMessage(const fs::path& sourceDir, const std::vector<std::string>& missing)
{
    std::string names;
    for (std::size_t i = 0; i < missing.size(); ++i)
        names += (i == 0 ? "" : i + 1 == missing.size() ? " and " : ", ") + missing[i];
    return "The installation medium is incomplete: Setup looked for the files to install in\n" +
           sourceDir.string() + "\nand did not find " + names +
           ".\n\nRun Setup from the installation medium (make medium writes one). Nothing was "
           "installed.";
}

char Installer::SourceMissingChar(std::string_view installedName)
{
    if (installedName.empty() || SourceName(installedName).size() != installedName.size())
        return 0;
    return installedName.back();
}

fs::path Installer::SourcePath(std::string_view installedName) const
{
    return MatchCaseInsensitive(m_sourceDir / SourceName(installedName));
}

bool Installer::IsComponentLocked() const { return IsRasServiceRunning(); }

bool Installer::RemoveLockedComponent(const fs::path& destination)
{
    std::error_code ec;
    while (fs::exists(fs::symlink_status(destination, ec))) {
        if (!IsComponentLocked() &&
            (fs::remove(destination, ec) || !fs::exists(fs::symlink_status(destination, ec))))
            return true;
        const Answer answer = m_ui.ShowMessage(
            "Unable to update the file 'DIALMIND.DLL' in the destination\ndirectory. Please "
            "verify that the RAS Service is stopped, before clicking 'Retry'.",
            setupnames::SetupCaption, Buttons::RetryCancel, Icon::Warning);
        if (answer != Answer::Retry && fs::exists(fs::symlink_status(destination, ec))) {
            m_ui.ShowMessage("You must re-run SETUP at a later time to properly update the\n"
                             "Dialminder server component on this system",
                             setupnames::SetupCaption, Buttons::Ok, Icon::Information);
            m_problems.push_back("DIALMIND.DLL was not updated (the RAS service holds it)");
            return false;
        }
    }
    return true;
}

void Installer::InstallFile(std::string name, bool askBeforeOverwrite, InstalledFile kind)
{
    std::string dir = m_choices.targetDirectory;
    if (!name.empty() && name.back() == '*') {
        name.pop_back();
        dir = m_windowsDir;
    }
    // The target names a directory of the emulated network's local
    // computer: a host path outside the network installs nothing there.
    ResolvedPath resolved = ResolveStoredPathOn(Network::LocalComputerName(), JoinSystemPath(dir, name));
    if (resolved.ok())
        resolved = ResolveWriteTarget(resolved.path);
    if (!resolved.ok()) {
        m_problems.push_back(name + " was not installed (error " + std::to_string(resolved.error) + ")");
        return;
    }
    const fs::path& destination = resolved.path;
    std::error_code ec;
    if (askBeforeOverwrite && fs::exists(destination, ec)) {
        const char* question = nullptr;
        if (kind == InstalledFile::HardwareSettings)
            question = "File Dialmind.hw exists in target directory. This file contains\nall port "
                       "and server settings. Would you like to overwrite it?";
        else
            question = "File Dialmind.usr exists in target directory. This file contains\nall "
                       "user and group settings as well as usage information.\nWould you like to "
                       "overwrite it?";
        if (m_ui.ShowMessage(question, setupnames::SetupCaption, Buttons::YesNo, Icon::Question) ==
            Answer::No)
            return;
    }
    // The new copy goes beside the old file under a temporary name and
    // replaces it only when it is whole: a full disk or a failed read keeps
    // the installed file as it was, and says why.
    const fs::path temporary = destination.parent_path() / ("." + destination.filename().string() + ".setup.tmp");
    fs::remove(temporary, ec);
    const fs::path source = SourcePath(name);
    const unsigned long copied = LZCopyFile(source, temporary);
    if (copied != 0) {
        // A copy that fails leaves a program or settings file missing: the
        // person is told which, and the run ends as not complete.
        fs::remove(temporary, ec);
        Error("Unable to install the file '" + name + "' from\n" + source.string() + "\nto " +
              destination.string() + " (error " + std::to_string(copied) + ").");
        m_problems.push_back(name + " was not installed (error " + std::to_string(copied) + ")");
        return;
    }
    if (IsProgram(name))
        fs::permissions(temporary, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                        fs::perm_options::add, ec);
    if (kind == InstalledFile::ServerComponent && !askBeforeOverwrite && !RemoveLockedComponent(destination)) {
        fs::remove(temporary, ec);
        return;
    }
    fs::rename(temporary, destination, ec);
    if (ec) {
        const unsigned long error = WinErrorOf(ec);
        fs::remove(temporary, ec);
        m_problems.push_back(name + " was not installed (error " + std::to_string(error) + ")");
    }
}

void Installer::InstallRuntimeFile(const std::string& name, int position)
{
    ShowInstallStep("Copying Files", name, position);
    const VerFindResult found =
        VerFindFile(true, name, m_windowsDir, m_choices.targetDirectory);
    if (!found.destDir.empty()) {
        VerInstallFile(true, SourceName(name), name, m_sourceDir.string(), found.destDir);
        return;
    }
    for (int twice = 0; twice < 2; ++twice) {
        m_ui.Beep(120, 40);
        m_ui.Beep(280, 30);
        m_ui.Beep(170, 40);
    }
}

void Installer::ShareDatabaseDirectory()
{
    RunCommandLine(std::string("NET SHARE ") + setupnames::ShareName + "=\"" +
                       m_choices.targetDirectory + "\"",
                   false);

    RegKey hive, parameters;
    unsigned long error = RegOpenLocalMachine(hive);
    if (error == 0) {
        error = hive.OpenKey(setupnames::LanManKey, parameters);
        // A computer of the emulated network may not have the server
        // service's key yet; every real one has it.
        if (error == winerr::FileNotFound)
            error = hive.CreateKey(setupnames::LanManKey, parameters);
    }
    if (error != 0) {
        Error("Could not open LanManServer key.");
        return;
    }
    std::vector<std::string> shares;
    error = parameters.QueryMultiString("NullSessionShares", shares, 10000);
    if (error == winerr::FileNotFound) {
        shares.clear();
        error = 0;
    }
    if (error != 0) {
        Error("Could not open NullSessionShares key.");
        return;
    }
    if (std::find(shares.begin(), shares.end(), setupnames::ShareName) != shares.end())
        return;
    shares.push_back(setupnames::ShareName);
    if (parameters.SetMultiString("NullSessionShares", shares) != 0)
        Error("Could not create NullSessionShare.");
}

void Installer::CreateProgramGroup()
{
    const std::string& dir = m_choices.targetDirectory;
    ProgmanConversation progman;
    progman.Execute(std::string("[CreateGroup(") + setupnames::ProgramGroup + ")]");
    progman.Execute("[AddItem(" + QuoteIfBlank(JoinSystemPath(dir, "Dialmind.exe")) + ",Dialminder Manager)]");
    progman.Execute("[AddItem(" + QuoteIfBlank(JoinSystemPath(dir, "DMQUICK.EXE")) + ",Dialminder LiveGlance)]");
    progman.Execute("[AddItem(" + QuoteIfBlank(JoinSystemPath(dir, kHelpPagesFile)) + ",Dialminder for Windows NT)]");
    progman.Execute("[AddItem(" + JoinSystemPath(m_windowsDir, "NT_PURGE.EXE C") +
                    ",Uninstall Dialminder Manager)]");
}

} // namespace dm
