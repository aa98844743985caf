#include "setup/wizard/screenshots.h"

#include "setup/setupchecks.h"
#include "setup/wizard/installdialog.h"
#include "setup/wizard/migrationdialog.h"
#include "setup/wizard/setupview.h"
#include "setup/wizard/setupwizard.h"

#include <QLayout>
#include <QPixmap>

namespace dm {

namespace {

bool Save(QWidget& widget, const std::filesystem::path& file)
{
    widget.ensurePolished();
    if (widget.layout())
        widget.layout()->activate();
    return widget.grab().save(QString::fromStdString(file.string()), "PNG");
}

} // namespace

int WriteSetupScreenshots(const std::filesystem::path& dir)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    int written = 0;

    CSetupView view;
    view.resize(1024, 768);
    written += Save(view, dir / "setup-background.png");

    SilentInteraction silent;
    WizardFlow flow(silent);
    flow.m_directoryField = DefaultTargetDirectory();
    flow.m_computerField = "CENTRAL";
    CSetupWizard wizard(flow, {});
    const std::pair<WizardPage, const char*> pages[] = {
        {WizardPage::Welcome, "0-welcome"},         {WizardPage::Agreement, "1-agreement"},
        {WizardPage::Guide, "2-quickintro"},        {WizardPage::Directory, "3-directory"},
        {WizardPage::CentralOrNot, "4-master"},     {WizardPage::WhichMaster, "5-whichmaster"},
        {WizardPage::Confirm, "6-confirm"}};
    for (const auto& [page, name] : pages) {
        wizard.ShowPageForPicture(page);
        written += Save(wizard, dir / (std::string("setup-wizard-") + name + ".png"));
    }

    SetupChoices choices;
    CInstallDialog install(choices, silent, dir, 0, 0);
    install.SetStep("Copying Files", "DIALMIND.EXE", 20);
    written += Save(install, dir / "setup-installing.png");

    CMigrationDialog migration("", silent, 0);
    migration.SetStatus("Processed 42% (12345 records)");
    migration.SetPosition(42);
    written += Save(migration, dir / "setup-converting.png");
    return written;
}

} // namespace dm
