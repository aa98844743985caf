#pragma once
// The installation run: creates the target directory, expands the files of
// the installation medium, installs the two runtime files by version, writes
// the server component's registry values, shares the database directory on a
// master, registers the uninstall entries and creates the program group.
//
// Every step goes through ShowInstallStep, which the progress dialog (or the
// console of an unattended install) shows. A registry failure aborts the
// run; everything else is reported, or not, and the run continues.

#include "common/userinteraction.h"
#include "setup/setupchoices.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

class InstallProgress {
public:
    virtual ~InstallProgress() = default;
    // Sets the step text, the detail text and the bar (0 to 100).
    virtual void SetStep(const std::string& step, const std::string& detail, int position) = 0;
};

// The shared objects installed beside the programs (file names of this
// machine, which the programs' loaders look for as they are).
inline constexpr const char* kRasLibraryFile = "librassapi.so";
inline constexpr const char* kReportWindowFile = "libdmreport_window.so";
// The help pages (DM.HLP) under a name the desktop opens in a browser.
inline constexpr const char* kHelpPagesFile = "DM.html";

// What an installed file is, for the questions and the locked-file loop.
enum class InstalledFile { Plain, ServerComponent, UserSettings, HardwareSettings };

class Installer {
public:
    // sourceDir is the installation medium (setup's working directory);
    // pauseMs the pause after each step (200 for a person, 0 unattended).
    Installer(const SetupChoices& choices, UserInteraction& ui, InstallProgress& progress,
              std::filesystem::path sourceDir, unsigned pauseMs = 200);

    // Runs every step. False when the medium lacks a file to install (then
    // nothing is written) or a registry failure aborted the run.
    bool Run();
    // What a run that went on after a failure left undone ("DIALMIND.DLL was
    // not updated"), for the last line of an unattended install.
    const std::vector<std::string>& Problems() const { return m_problems; }

    // The single steps, public for the tests of each.
    void ShowInstallStep(const std::string& step, const std::string& detail, int position);
    // name: the installed name; a trailing '*' installs into the Windows
    // directory instead of the target directory.
    void InstallFile(std::string name, bool askBeforeOverwrite, InstalledFile kind);
    void ShareDatabaseDirectory();
    void CreateProgramGroup();
    void InstallRuntimeFile(const std::string& name, int position);

    // The Windows directory as the system names it in paths it writes.
    const std::string& WindowsDirectory() const { return m_windowsDir; }
    // The compressed source name of an installed name ("DIALMIND.EX_").
    static std::string SourceName(std::string_view installedName);
    // The character the source name replaced with '_', which its SZDD header
    // keeps; 0 when the '_' was appended ("Dialmind.hw_").
    static char SourceMissingChar(std::string_view installedName);

private:
    void CreateTargetDirectory();
    void CopyManagerFiles();
    void InstallHelpPages();
    void CopyServerFiles();
    bool WriteServerRegistry();
    bool WriteManagerRegistry();
    bool Abort(const std::string& reason);
    void Error(const std::string& reason);
    bool RemoveLockedComponent(const std::filesystem::path& destination);
    // The running RAS service holds the server component's file.
    bool IsComponentLocked() const;
    std::filesystem::path SourcePath(std::string_view installedName) const;

    const SetupChoices& m_choices;
    UserInteraction& m_ui;
    InstallProgress& m_progress;
    std::filesystem::path m_sourceDir;
    unsigned m_pauseMs;
    std::string m_windowsDir;
    std::vector<std::string> m_problems;
};

// The installed names a run copies for these choices, in copy order.
std::vector<std::string> InstalledFileNames(bool manager, bool server);
// The compressed sources of InstalledFileNames that sourceDir lacks (names
// compare without regard to case, as the medium's file system may not keep it).
std::vector<std::string> MissingMediumFiles(const std::filesystem::path& sourceDir, bool manager,
                                            bool server);
// The message that refuses a medium without the files to install.
std::string IncompleteMediumMessage(const std::filesystem::path& sourceDir,
                                    const std::vector<std::string>& missing);

// A path in double quotes when it holds a blank, as program group items want.
std::string QuoteIfBlank(const std::string& path);

// dir and name joined by a backslash, or by a slash when dir is a path of
// this machine (the Windows directory of the emulated network is one).
std::string JoinSystemPath(const std::string& dir, std::string_view name);

} // namespace dm
