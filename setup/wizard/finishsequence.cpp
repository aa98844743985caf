#include "setup/wizard/finishsequence.h"

#include "setup/logmigration.h"
#include "setup/wizard/installdialog.h"
#include "setup/wizard/migrationdialog.h"

namespace dm {

bool RunInstallationAndMigration(const SetupChoices& choices, UserInteraction& ui,
                                 const std::filesystem::path& sourceDir, FinishTiming timing,
                                 QWidget* parent)
{
    CInstallDialog install(choices, ui, sourceDir, timing.stepPauseMs, timing.startDelayMs, parent);
    install.exec();
    if (!install.Succeeded()) {
        ui.ShowMessage("Setup failed: the installation was aborted and is not complete.\n\n"
                       "Correct the problem reported before and run Setup again.",
                       setupnames::SetupCaption, Buttons::Ok, Icon::Error);
        return false;
    }
    if (choices.installServer && LogMigration::HasLegacyLog(choices.masterShare)) {
        CMigrationDialog migration(choices.masterShare, ui, timing.startDelayMs, parent);
        migration.exec();
    }
    if (!install.Problems().empty()) {
        std::string text = "Setup has completed, but not everything was installed:\n";
        for (const std::string& problem : install.Problems())
            text += "\n- " + problem;
        text += "\n\nCorrect the problems reported and run Setup again.";
        ui.ShowMessage(text, setupnames::SetupCaption, Buttons::Ok, Icon::Warning);
        return false;
    }
    ui.ShowMessage("Setup has completed!", setupnames::SetupCaption, Buttons::Ok, Icon::Information);
    return true;
}

} // namespace dm
