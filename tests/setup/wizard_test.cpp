// The Qt wizard driven through its buttons, headless.

#include "setup/wizard/1_welcome.h"
#include "setup/wizard/2_directory.h"
#include "setup/wizard/centralornot.h"
#include "setup/wizard/confirm.h"
#include "setup/wizard/finishsequence.h"
#include "setup/wizard/installdialog.h"
#include "framework/helpwindow.h"
#include "setup/wizard/migrationdialog.h"
#include "setup/wizard/quickintro.h"
#include "setup/wizard/setupview.h"
#include "setup/wizard/setupwizard.h"
#include "setup/wizard/whichmaster.h"
#include "tests/setup/setupfixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QWindow>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTextBrowser>

using namespace dm;
using dm::test::SetupFixture;

namespace {

class WizardTest : public SetupFixture {
protected:
    void SetUp() override
    {
        SetupFixture::SetUp();
        m_actions.openQuickIntro = [this] { ++m_quickIntros; };
        m_actions.browseFolder = [this](QWidget*) { return m_browsed; };
        m_actions.finish = [this] { ++m_finishes; };
    }
    CSetupWizard& Wizard()
    {
        if (!m_wizard)
            m_wizard = std::make_unique<CSetupWizard>(m_flow, m_actions);
        return *m_wizard;
    }
    void Next() { Wizard().NextButton()->click(); }
    void Back() { Wizard().BackButton()->click(); }
    QString Title() { return Wizard().windowTitle(); }
    template <class Page> Page* Current() { return dynamic_cast<Page*>(Wizard().CurrentPage()); }

    WizardFlow m_flow{m_ui};
    CSetupWizard::Actions m_actions;
    std::unique_ptr<CSetupWizard> m_wizard;
    std::optional<std::string> m_browsed;
    int m_quickIntros = 0;
    int m_finishes = 0;
};

} // namespace

TEST_F(WizardTest, MasterPathThroughTheButtons)
{
    InstallRas();
    EXPECT_EQ(Title(), "Welcome to the Dialminder(TM) installation program!");
    EXPECT_FALSE(Wizard().BackButton()->isEnabled());
    Next();
    EXPECT_EQ(Title(), "Software License Agreement - Dialminder for Windows NT");
    Next();
    EXPECT_EQ(Title(), "Quick Introduction");
    Wizard().CurrentPage()->findChild<QPushButton*>("quickIntroButton")->click();
    EXPECT_EQ(m_quickIntros, 1);
    Next();
    auto* directory = Current<C2_DIRECTORY>();
    ASSERT_TRUE(directory);
    EXPECT_EQ(directory->DirectoryField()->text(), "C:\\Program Files\\Dialmind");
    EXPECT_TRUE(directory->ServerBox()->isChecked());
    EXPECT_TRUE(directory->ManagerBox()->isChecked());
    Next();
    auto* central = Current<CCentralOrNot>();
    ASSERT_TRUE(central);
    EXPECT_TRUE(central->YesButton()->isChecked());
    Next();
    auto* confirm = Current<CConfirm>();
    ASSERT_TRUE(confirm);
    EXPECT_EQ(Title(), "Confirm Installation");
    EXPECT_FALSE(confirm->ServerLine()->isHidden());
    EXPECT_FALSE(confirm->ManagerLine()->isHidden());
    EXPECT_TRUE(Wizard().NextButton()->isHidden());
    EXPECT_FALSE(Wizard().FinishButton()->isHidden());
    Back();
    EXPECT_TRUE(Current<CCentralOrNot>());
    Next();
    Wizard().FinishButton()->click();
    EXPECT_EQ(m_finishes, 1);
    EXPECT_EQ(Wizard().result(), QDialog::Accepted);
    EXPECT_EQ(m_flow.Choices().masterShare, "\\\\TESTHOST\\DM_NT_DB");
}

TEST_F(WizardTest, NonMasterPathAndComputerField)
{
    InstallRas();
    Network::AddComputer("CENTRAL");
    SetRegString("CENTRAL", "Software\\Microsoft\\RAS\\AdminDLL", "MasterShare", "\\\\CENTRAL\\DM_NT_DB");
    for (int i = 0; i < 4; ++i)
        Next();
    Current<CCentralOrNot>()->NoButton()->setChecked(true);
    Next();
    auto* which = Current<CWhichMaster>();
    ASSERT_TRUE(which);
    EXPECT_FALSE(Wizard().NextButton()->isEnabled());
    which->ComputerField()->setText("\\CENTRAL");
    EXPECT_TRUE(Wizard().NextButton()->isEnabled());
    which->ComputerField()->clear();
    EXPECT_FALSE(Wizard().NextButton()->isEnabled());
    which->ComputerField()->setText("\\CENTRAL");
    Next();
    ASSERT_TRUE(Current<CConfirm>());
    EXPECT_EQ(m_flow.Choices().masterComputer, "\\\\CENTRAL");
    Back();
    ASSERT_TRUE(Current<CWhichMaster>());
    EXPECT_EQ(Current<CWhichMaster>()->ComputerField()->text(), "\\CENTRAL");
    Back();
    EXPECT_TRUE(Current<CCentralOrNot>()->NoButton()->isChecked());
}

TEST_F(WizardTest, ManagerOnlyAndNextDisabledWithoutComponents)
{
    for (int i = 0; i < 3; ++i)
        Next();
    auto* directory = Current<C2_DIRECTORY>();
    ASSERT_TRUE(directory);
    directory->ServerBox()->click();
    EXPECT_TRUE(Wizard().NextButton()->isEnabled());
    directory->ManagerBox()->click();
    EXPECT_FALSE(Wizard().NextButton()->isEnabled());
    directory->ServerBox()->click();
    directory->ServerBox()->click();
    EXPECT_FALSE(Wizard().NextButton()->isEnabled());
    directory->ManagerBox()->click();
    EXPECT_TRUE(Wizard().NextButton()->isEnabled());
    Next();
    auto* confirm = Current<CConfirm>();
    ASSERT_TRUE(confirm);
    EXPECT_TRUE(confirm->ServerLine()->isHidden());
    EXPECT_FALSE(confirm->ManagerLine()->isHidden());
    EXPECT_TRUE(m_ui.m_messages.empty());
    Back();
    EXPECT_TRUE(Current<C2_DIRECTORY>());
}

TEST_F(WizardTest, RasServiceWarningEachTimeConfirmationIsShown)
{
    InstallRas();
    SetRasService("TESTHOST", 4);
    for (int i = 0; i < 5; ++i)
        Next();
    ASSERT_TRUE(Current<CConfirm>());
    EXPECT_EQ(m_ui.m_messages.size(), 1u);
    Back();
    Next();
    Back();
    Next();
    ASSERT_EQ(m_ui.m_messages.size(), 3u);
    for (const auto& m : m_ui.m_messages)
        EXPECT_EQ(m.text.rfind("Warning: Setup has detected that the RAS Service is running.", 0), 0u);
}

TEST_F(WizardTest, NoRasKeepsTheDirectoryPage)
{
    for (int i = 0; i < 4; ++i)
        Next();
    EXPECT_TRUE(Current<C2_DIRECTORY>());
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text.rfind("Warning: Found no RAS installed", 0), 0u);
}

TEST_F(WizardTest, FolderBrowserAppendsDialmind)
{
    for (int i = 0; i < 3; ++i)
        Next();
    auto* directory = Current<C2_DIRECTORY>();
    m_browsed = "D:\\Tools";
    directory->BrowseButton()->click();
    EXPECT_EQ(directory->DirectoryField()->text(), "D:\\Tools\\Dialmind");
    m_browsed = "D:\\";
    directory->BrowseButton()->click();
    EXPECT_EQ(directory->DirectoryField()->text(), "D:\\Dialmind");
    // A folder picked on the local computer's disk is named as the system names it.
    m_browsed = ResolvePathOrEmpty("C:\\").string() + "/Apps";
    directory->BrowseButton()->click();
    EXPECT_EQ(directory->DirectoryField()->text(), "C:\\Apps\\Dialmind");
    m_browsed.reset();
    directory->BrowseButton()->click();
    EXPECT_EQ(directory->DirectoryField()->text(), "C:\\Apps\\Dialmind");
}

TEST_F(WizardTest, BackgroundBands)
{
    CSetupView view;
    view.resize(300, 512);
    const QImage image = view.grab().toImage();
    // Band 0 is bright red at the top, band 255 black at the bottom; band a
    // is 2 pixels high here.
    EXPECT_EQ(image.pixelColor(290, 0), QColor(255, 0, 0));
    EXPECT_EQ(image.pixelColor(290, 511), QColor(0, 0, 0));
    EXPECT_EQ(image.pixelColor(290, 200), QColor(155, 0, 0));
    // The title is drawn in olive over the bands.
    bool olive = false;
    for (int x = 40; x < 200 && !olive; ++x)
        for (int y = 40; y < 75 && !olive; ++y)
            olive = image.pixelColor(x, y) == QColor(192, 192, 0);
    EXPECT_TRUE(olive);
    EXPECT_EQ(CSetupView::BandTop(255, 1000), 996);
}

TEST_F(WizardTest, FinishInstallsMigratesAndCompletes)
{
    MakeMedium();
    SetupChoices choices;
    choices.targetDirectory = "C:\\Dialmind";
    choices.masterShare = "\\\\TESTHOST\\DM_NT_DB";
    std::filesystem::create_directories(Local("C:\\Dialmind"));
    dm::test::WriteFile(Local("C:\\Dialmind") / "Dialmind.log", "[T\\COM1]\r\n881280000=C_DOM\\joe\r\n");
    EXPECT_TRUE(RunInstallationAndMigration(choices, m_ui, m_medium, {0, 0}, nullptr));
    EXPECT_TRUE(std::filesystem::exists(Local("C:\\Dialmind") / "dialmind.migrated"));
    ASSERT_FALSE(m_ui.m_messages.empty());
    EXPECT_EQ(m_ui.m_messages.back().text, "Setup has completed!");
    EXPECT_EQ(m_ui.m_messages.back().icon, Icon::Information);
}

TEST_F(WizardTest, AbortedInstallationSaysSoAndSkipsTheRest)
{
    MakeMedium();
    SetupChoices choices;
    choices.targetDirectory = "C:\\Dialmind";
    choices.masterShare = "\\\\TESTHOST\\DM_NT_DB";
    std::filesystem::create_directories(Local("C:\\Dialmind"));
    dm::test::WriteFile(Local("C:\\Dialmind") / "Dialmind.log", "[T\\COM1]\r\n881280000=C_DOM\\joe\r\n");
    BreakLocalRegistry();
    EXPECT_FALSE(RunInstallationAndMigration(choices, m_ui, m_medium, {0, 0}, nullptr));
    const auto texts = m_ui.Texts();
    EXPECT_EQ(std::count(texts.begin(), texts.end(), "Setup has completed!"), 0);
    EXPECT_EQ(texts.back().rfind("Setup failed", 0), 0u);
    EXPECT_FALSE(std::filesystem::exists(Local("C:\\Dialmind") / "dialmind.migrated"));
}

TEST_F(WizardTest, ProgressDialogsShowTheirTexts)
{
    SetupChoices choices;
    CInstallDialog install(choices, m_ui, m_root.path(), 0, 0);
    EXPECT_EQ(install.windowTitle(), "Installing, please wait...");
    install.SetStep("Copying Files", "LiveGlance", 22);
    EXPECT_EQ(install.StepText()->text(), "Copying Files");
    EXPECT_EQ(install.DetailText()->text(), "LiveGlance");
    EXPECT_EQ(install.Bar()->value(), 22);

    CMigrationDialog migration("\\\\TESTHOST\\DM_NT_DB", m_ui, 0);
    EXPECT_EQ(migration.windowTitle(), "Converting Data, Please Wait...");
    EXPECT_EQ(migration.Bar()->minimum(), 1);
    EXPECT_EQ(migration.Bar()->maximum(), 100);
    migration.SetStatus("Processed 5% (0 records)");
    migration.SetPosition(5);
    EXPECT_EQ(migration.StatusLine()->text(), "Processed 5% (0 records)");
    EXPECT_EQ(migration.Bar()->value(), 5);
}

TEST_F(WizardTest, QuickIntroOpensItsHelpPage)
{
    ASSERT_TRUE(OpenQuickIntro(nullptr));
    CHelpWindow* shown = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* help = qobject_cast<CHelpWindow*>(w); help && help->isVisible())
            shown = help;
    ASSERT_TRUE(shown);
    EXPECT_TRUE(shown->Browser()->source().toLocalFile().endsWith("quickintro.html"));
    EXPECT_TRUE(shown->Browser()->toPlainText().contains("central database"));
    shown->close();
}

TEST_F(WizardTest, QuickIntroOverTheModalWizardBelongsToItAndIsNotBlocked)
{
    QWidget background;
    background.show();
    QDialog wizard(&background);
    wizard.setWindowModality(Qt::ApplicationModal);
    wizard.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &wizard);
    ASSERT_TRUE(OpenQuickIntro(&background));
    CHelpWindow* shown = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* help = qobject_cast<CHelpWindow*>(w); help && help->isVisible())
            shown = help;
    ASSERT_TRUE(shown);
    // Qt lets input reach the windows a modal window owns, and no others.
    EXPECT_EQ(shown->parentWidget(), &wizard);
    ASSERT_TRUE(shown->windowHandle());
    EXPECT_EQ(shown->windowHandle()->transientParent(), wizard.windowHandle());
    EXPECT_TRUE(shown->isWindow());
    EXPECT_TRUE(shown->testAttribute(Qt::WA_DeleteOnClose));
    shown->close();
    wizard.close();
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
