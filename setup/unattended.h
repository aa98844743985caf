#pragma once
// Unattended installs: the wizard's checks and the installation run driven
// by an answers file instead of a person, printing every step and message.
//
// The answers file is a profile file with one section [Setup]:
//   InstallManager=1            copy the manager (default 1)
//   InstallServer=1             install the server component (default 1)
//   TargetDirectory=C:\Dialmind default: ProgramFilesDir\Dialmind
//   Master=1                    this server holds the central database (default 1)
//   MasterComputer=\\MASTER     the master's computer when Master=0
//   OverwriteHardwareSettings=No  answer to "File Dialmind.hw exists..." (default No)
//   OverwriteUserSettings=No      answer to "File Dialmind.usr exists..." (default No)

#include "common/userinteraction.h"
#include "setup/installer.h"
#include "setup/logmigration.h"
#include "setup/setupchoices.h"

#include <filesystem>
#include <iosfwd>
#include <string>

namespace dm {

// Exit statuses of an unattended install.
namespace unattendedexit {
constexpr int Completed = 0;
constexpr int BadAnswers = 1;
constexpr int UnknownAnswers = 2; // a section or key the answers file cannot hold
constexpr int CheckStopped = 2;     // also: the medium lacks a file to install
constexpr int Aborted = 3;
constexpr int MigrationFailed = 4;
constexpr int Incomplete = 5;     // installed, but a step was refused (a file not updated)
} // namespace unattendedexit

struct UnattendedAnswers {
    bool installManager = true;
    bool installServer = true;
    std::string targetDirectory; // empty: the default
    bool isMaster = true;
    std::string masterComputer;
    bool overwriteHardware = false;
    bool overwriteUsers = false;
};

// Reads the answers; false with a reason in error when the file cannot be
// used, and the exit status for that in *status: UnknownAnswers when it
// names a section or key that is not one of the above (a misspelling must not
// install with defaults), BadAnswers otherwise.
bool ReadUnattendedAnswers(const std::filesystem::path& file, UnattendedAnswers& answers,
                           std::string& error, int* status = nullptr);

// Prints messages and steps; answers the two overwrite questions from the
// answers file, Retry/Cancel with Cancel, everything else with its default.
class ConsoleInteraction : public UserInteraction, public InstallProgress, public MigrationProgress {
public:
    ConsoleInteraction(std::ostream& out, const UnattendedAnswers& answers)
        : m_out(out), m_answers(answers) {}
    Answer ShowMessage(const std::string& text, const std::string& caption, Buttons buttons,
                       Icon icon) override;
    void Beep(unsigned, unsigned) override {}
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    void ShowProgress(const std::string& text) override;
    void SetStep(const std::string& step, const std::string& detail, int position) override;
    void SetStatus(const std::string& text) override;
    void SetPosition(int) override {}

private:
    std::ostream& m_out;
    const UnattendedAnswers& m_answers;
    std::string m_lastStatus;
};

// Runs the whole unattended install from the medium in sourceDir.
int RunUnattended(const UnattendedAnswers& answers, const std::filesystem::path& sourceDir,
                  std::ostream& out);

} // namespace dm
