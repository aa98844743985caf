#include "setup/unattended.h"

#include "common/text.h"
#include "platform/files/profile.h"
#include "setup/wizardflow.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <ostream>
#include <strings.h>
#include <system_error>

namespace dm {

namespace {

bool ReadFlag(const std::string& file, const char* key, bool defaultValue, std::string& error)
{
    const std::string text = LowerAscii(GetPrivateProfileString("Setup", key, defaultValue ? "1" : "0", file));
    if (text == "1" || text == "yes" || text == "true")
        return true;
    if (text == "0" || text == "no" || text == "false")
        return false;
    error = std::string("[Setup] ") + key + "=" + text + ": expected 1/0, Yes/No or True/False";
    return defaultValue;
}

const char* IconName(Icon icon)
{
    switch (icon) {
    case Icon::Information: return "information";
    case Icon::Warning: return "warning";
    case Icon::Error: return "error";
    case Icon::Question: return "question";
    case Icon::None: break;
    }
    return "message";
}

const char* AnswerName(Answer answer)
{
    switch (answer) {
    case Answer::Ok: return "OK";
    case Answer::Cancel: return "Cancel";
    case Answer::Abort: return "Abort";
    case Answer::Retry: return "Retry";
    case Answer::Ignore: return "Ignore";
    case Answer::Yes: return "Yes";
    case Answer::No: return "No";
    }
    return "?";
}

// Every section and key of the file that is not one of the answers.
std::string UnknownNames(const std::string& path)
{
    static const char* const known[] = {"InstallManager", "InstallServer", "TargetDirectory",
                                        "Master", "MasterComputer", "OverwriteHardwareSettings",
                                        "OverwriteUserSettings"};
    std::string unknown;
    const auto add = [&unknown](const std::string& name) {
        unknown += (unknown.empty() ? "" : ", ") + name;
    };
    for (const std::string& section : GetPrivateProfileSectionNames(path)) {
        if (!EqualNoCase(section, "Setup")) {
            add("section [" + section + "]");
            continue;
        }
        for (const std::string& key : GetPrivateProfileKeyNames(section, path)) {
            const auto match = [&key](const char* name) { return EqualNoCase(key, name); };
            if (std::none_of(std::begin(known), std::end(known), match))
                add("key " + key + " in [Setup]");
        }
    }
    return unknown;
}

} // namespace

bool ReadUnattendedAnswers(const std::filesystem::path& file, UnattendedAnswers& answers,
                           std::string& error, int* status)
{
    int ignored = 0;
    int& result = status != nullptr ? *status : ignored;
    result = unattendedexit::BadAnswers;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        error = "cannot read the answers file " + file.string();
        return false;
    }
    const std::string path = std::filesystem::absolute(file, ec).string();
    if (const std::string unknown = UnknownNames(path); !unknown.empty()) {
        error = file.string() + ": unknown " + unknown + "; nothing was installed";
        result = unattendedexit::UnknownAnswers;
        return false;
    }
    if (GetPrivateProfileSectionNames(path).empty()) {
        error = file.string() + " has no [Setup] section";
        return false;
    }
    answers.installManager = ReadFlag(path, "InstallManager", true, error);
    answers.installServer = ReadFlag(path, "InstallServer", true, error);
    answers.isMaster = ReadFlag(path, "Master", true, error);
    answers.overwriteHardware = ReadFlag(path, "OverwriteHardwareSettings", false, error);
    answers.overwriteUsers = ReadFlag(path, "OverwriteUserSettings", false, error);
    answers.targetDirectory = GetPrivateProfileString("Setup", "TargetDirectory", "", path);
    answers.masterComputer = GetPrivateProfileString("Setup", "MasterComputer", "", path);
    if (!error.empty())
        return false;
    if (!answers.installManager && !answers.installServer) {
        error = "choose at least one of InstallManager and InstallServer";
        return false;
    }
    if (answers.installServer && !answers.isMaster && answers.masterComputer.empty()) {
        error = "Master=0 needs MasterComputer";
        return false;
    }
    return true;
}

Answer ConsoleInteraction::ShowMessage(const std::string& text, const std::string& caption,
                                       Buttons buttons, Icon icon)
{
    Answer answer = DefaultAnswer(buttons);
    if (buttons == Buttons::YesNo) {
        const bool hardware = text.find("Dialmind.hw") != std::string::npos;
        answer = (hardware ? m_answers.overwriteHardware : m_answers.overwriteUsers) ? Answer::Yes
                                                                                     : Answer::No;
    } else if (buttons == Buttons::RetryCancel) {
        answer = Answer::Cancel;
    }
    m_out << caption << " (" << IconName(icon) << "): " << text << "\n";
    if (buttons != Buttons::Ok)
        m_out << "  -> " << AnswerName(answer) << "\n";
    return answer;
}

void ConsoleInteraction::ShowProgress(const std::string& text) { m_out << text << "\n"; }

void ConsoleInteraction::SetStep(const std::string& step, const std::string& detail, int position)
{
    m_out << "[" << position << "%] " << step << ": " << detail << "\n";
}

void ConsoleInteraction::SetStatus(const std::string& text)
{
    // One line per record would flood a terminal; print when the percentage moves.
    const std::string percent = text.substr(0, text.find('('));
    if (percent != m_lastStatus.substr(0, m_lastStatus.find('(')))
        m_out << text << "\n";
    m_lastStatus = text;
}

int RunUnattended(const UnattendedAnswers& answers, const std::filesystem::path& sourceDir,
                  std::ostream& out)
{
    ConsoleInteraction console(out, answers);
    WizardFlow flow(console);
    while (flow.Page() != WizardPage::Directory)
        flow.Next();
    if (!answers.targetDirectory.empty())
        flow.m_directoryField = answers.targetDirectory;
    flow.Choices().installManager = answers.installManager;
    flow.Choices().installServer = answers.installServer;
    flow.m_masterYes = answers.isMaster;
    flow.m_computerField = answers.masterComputer;
    while (flow.Page() != WizardPage::Confirm) {
        const WizardPage page = flow.Page();
        if (!flow.Next()) {
            out << "Setup stopped on the page \"" << PageCaption(page) << "\".\n";
            return unattendedexit::CheckStopped;
        }
    }
    const SetupChoices& choices = flow.Choices();
    const std::vector<std::string> missing =
        MissingMediumFiles(sourceDir, choices.installManager, choices.installServer);
    if (!missing.empty()) {
        console.ShowMessage(IncompleteMediumMessage(sourceDir, missing), setupnames::SetupCaption,
                            Buttons::Ok, Icon::Error);
        out << "Setup stopped: the installation medium is incomplete; nothing was installed.\n";
        return unattendedexit::CheckStopped;
    }
    out << "Installing into " << choices.targetDirectory << "\n";

    Installer installer(choices, console, console, sourceDir, 0);
    if (!installer.Run()) {
        out << "Setup failed: the installation was aborted.\n";
        return unattendedexit::Aborted;
    }
    int status = unattendedexit::Completed;
    std::string summary = "Setup completed.";
    if (!installer.Problems().empty()) {
        status = unattendedexit::Incomplete;
        summary = "Setup completed with errors:";
        for (std::size_t i = 0; i < installer.Problems().size(); ++i)
            summary += (i ? "; " : " ") + installer.Problems()[i];
        summary += ".";
    }
    if (choices.installServer && LogMigration::HasLegacyLog(choices.masterShare)) {
        out << "Converting Data, Please Wait...\n";
        LogMigration migration(choices.masterShare, console, console);
        if (migration.Run()) {
            out << "Converted " << migration.RecordsWritten() << " records.\n";
        } else {
            status = unattendedexit::MigrationFailed;
            summary = "Setup failed: the log conversion did not complete (" +
                      std::to_string(migration.RecordsWritten()) + " of " +
                      std::to_string(migration.RecordsCopied()) +
                      " records written); Dialmind.log was kept.";
        }
    }
    console.ShowMessage("Setup has completed!", setupnames::SetupCaption, Buttons::Ok,
                        Icon::Information);
    // The last line says what happened, for whoever reads only that.
    out << summary << "\n";
    return status;
}

} // namespace dm
