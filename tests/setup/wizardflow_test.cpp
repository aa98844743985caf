// The wizard's page order, Back paths and checks, apart from the widgets.

#include "setup/setupchecks.h"
#include "setup/wizardflow.h"
#include "tests/setup/setupfixture.h"

using namespace dm;
using dm::test::SetupFixture;

namespace {

const std::string kNoRas =
    "Warning: Found no RAS installed on this computer.\n\nIn order to properly install the "
    "Server Component\nyou first need to have RAS present.";
const std::string kServiceRunning =
    "Warning: Setup has detected that the RAS Service is running.\n\nIn order to successfully "
    "install the Dialminder Server component,\nmake sure to shut down the RAS Service before "
    "continuing.\nNow is a good time to switch to the Control Panel.\n\nClick OK when the RAS "
    "Service is stopped to continue the installation.";

class WizardFlowTest : public SetupFixture {
protected:
    void ToDirectory()
    {
        for (int i = 0; i < 3; ++i)
            ASSERT_TRUE(m_flow.Next());
        ASSERT_EQ(m_flow.Page(), WizardPage::Directory);
    }
    // A second computer that hosts the master's share.
    static void AddMaster(const std::string& name)
    {
        Network::AddComputer(name);
        SetRegString(name, "Software\\Microsoft\\RAS\\AdminDLL", "MasterShare",
                     "\\\\" + name + "\\DM_NT_DB");
    }
    WizardFlow m_flow{m_ui};
};

} // namespace

TEST_F(WizardFlowTest, MasterInstallPagesAndBackPath)
{
    InstallRas();
    SetRegString("TESTHOST", "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir",
                 "D:\\Apps");
    EXPECT_EQ(m_flow.Buttons(), wizbuttons::Next);
    ToDirectory();
    EXPECT_EQ(m_flow.m_directoryField, "D:\\Apps\\Dialmind");
    EXPECT_TRUE(m_flow.Choices().installManager && m_flow.Choices().installServer);

    m_flow.m_directoryField = "D:\\Apps\\DM\\";
    ASSERT_TRUE(m_flow.Next());
    EXPECT_EQ(m_flow.Choices().targetDirectory, "D:\\Apps\\DM");
    EXPECT_EQ(m_flow.Page(), WizardPage::CentralOrNot);
    EXPECT_TRUE(m_flow.m_masterYes);
    ASSERT_TRUE(m_flow.Next());
    EXPECT_EQ(m_flow.Page(), WizardPage::Confirm);
    EXPECT_EQ(m_flow.Choices().masterShare, "\\\\TESTHOST\\DM_NT_DB");
    EXPECT_TRUE(m_flow.Choices().isMaster);
    EXPECT_EQ(m_flow.Buttons(), wizbuttons::Back | wizbuttons::Finish);

    m_flow.Back();
    EXPECT_EQ(m_flow.Page(), WizardPage::CentralOrNot);
    m_flow.Back();
    m_flow.Back();
    // The defaults are set once: a changed field survives going back and forth.
    EXPECT_EQ(m_flow.Page(), WizardPage::Guide);
    ASSERT_TRUE(m_flow.Next());
    EXPECT_EQ(m_flow.m_directoryField, "D:\\Apps\\DM\\");
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(WizardFlowTest, NonMasterGoesThroughRemoteLookupAndBack)
{
    InstallRas();
    AddMaster("CENTRAL");
    ToDirectory();
    ASSERT_TRUE(m_flow.Next());
    m_flow.m_masterYes = false;
    ASSERT_TRUE(m_flow.Next());
    EXPECT_EQ(m_flow.Page(), WizardPage::WhichMaster);
    EXPECT_FALSE(m_flow.NextEnabled());
    EXPECT_EQ(m_flow.Buttons(), wizbuttons::Back);
    m_flow.m_computerField = "central";
    EXPECT_EQ(m_flow.Buttons(), wizbuttons::Back | wizbuttons::Next);
    ASSERT_TRUE(m_flow.Next());
    EXPECT_EQ(m_flow.Page(), WizardPage::Confirm);
    EXPECT_FALSE(m_flow.Choices().isMaster);
    EXPECT_EQ(m_flow.Choices().masterShare, "\\\\CENTRAL\\DM_NT_DB");
    EXPECT_EQ(m_flow.Choices().masterComputer, "\\\\central");
    m_flow.Back();
    EXPECT_EQ(m_flow.Page(), WizardPage::WhichMaster);
}

TEST_F(WizardFlowTest, ManagerOnlySkipsMasterQuestionsAndRasChecks)
{
    // No RAS at all: a manager-only install must not care.
    ToDirectory();
    m_flow.Choices().installServer = false;
    ASSERT_TRUE(m_flow.Next());
    EXPECT_EQ(m_flow.Page(), WizardPage::Confirm);
    EXPECT_TRUE(m_flow.ShowsManagerLine());
    EXPECT_FALSE(m_flow.ShowsServerLine());
    EXPECT_TRUE(m_ui.m_messages.empty());
    m_flow.Back();
    EXPECT_EQ(m_flow.Page(), WizardPage::Directory);
}

TEST_F(WizardFlowTest, NextNeedsAtLeastOneComponent)
{
    ToDirectory();
    m_flow.Choices().installManager = false;
    EXPECT_TRUE(m_flow.NextEnabled());
    m_flow.Choices().installServer = false;
    EXPECT_FALSE(m_flow.NextEnabled());
    EXPECT_EQ(m_flow.Buttons(), wizbuttons::Back);
    EXPECT_FALSE(m_flow.Next());
    EXPECT_EQ(m_flow.Page(), WizardPage::Directory);
}

TEST_F(WizardFlowTest, RasChecksOnTheDirectoryPage)
{
    ToDirectory();
    EXPECT_FALSE(m_flow.Next());
    EXPECT_EQ(m_flow.Page(), WizardPage::Directory);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text, kNoRas);
    EXPECT_EQ(m_ui.m_messages[0].icon, Icon::Information);

    // Present without a version: warned, and on.
    InstallRas(false);
    EXPECT_TRUE(m_flow.Next());
    ASSERT_EQ(m_ui.m_messages.size(), 2u);
    EXPECT_EQ(m_ui.m_messages[1].text.rfind("Warning: Unable to verify software version of RAS.", 0), 0u);
    EXPECT_EQ(m_ui.m_messages[1].icon, Icon::Information);
}

TEST_F(WizardFlowTest, ComputerNameForms)
{
    EXPECT_EQ(FormComputerName("CENTRAL"), "\\\\CENTRAL");
    EXPECT_EQ(FormComputerName("\\CENTRAL"), "\\\\CENTRAL");
    EXPECT_EQ(FormComputerName("\\\\CENTRAL"), "\\\\CENTRAL");
    EXPECT_EQ(FormComputerName("\\\\\\X"), "\\\\\\X");

    AddMaster("CENTRAL");
    for (const char* typed : {"CENTRAL", "\\CENTRAL", "\\\\CENTRAL"}) {
        SetupChoices choices;
        EXPECT_TRUE(LookUpRemoteMaster(typed, choices, m_ui)) << typed;
        EXPECT_EQ(choices.masterComputer, "\\\\CENTRAL");
        EXPECT_EQ(choices.masterShare, "\\\\CENTRAL\\DM_NT_DB");
    }
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(WizardFlowTest, RemoteLookupErrorTexts)
{
    SetupChoices choices;
    EXPECT_FALSE(LookUpRemoteMaster("NOWHERE", choices, m_ui));

    Network::AddComputer("NORAS");
    EXPECT_FALSE(LookUpRemoteMaster("NORAS", choices, m_ui));

    Network::AddComputer("LOCKED");
    SetRegString("LOCKED", "Software\\Microsoft\\RAS\\AdminDLL", "MasterShare", "x");
    {
        RegKey hive, key;
        ASSERT_EQ(RegOpenHive("LOCKED", hive), 0u);
        ASSERT_EQ(hive.OpenKey("Software\\Microsoft\\RAS", key), 0u);
        ASSERT_EQ(key.SetDeniedToRemote(true), 0u);
    }
    EXPECT_FALSE(LookUpRemoteMaster("LOCKED", choices, m_ui));

    Network::AddComputer("PLAIN");
    SetRegString("PLAIN", "Software\\Microsoft\\RAS\\AdminDLL", "DLLPath", "C:\\x.dll");
    EXPECT_FALSE(LookUpRemoteMaster("PLAIN", choices, m_ui));

    AddMaster("OFFLINE");
    Network::SetReachable("OFFLINE", false);
    EXPECT_FALSE(LookUpRemoteMaster("OFFLINE", choices, m_ui));

    const std::vector<std::string> expected = {
        "Error: Failed to connect to remote computer (53).",
        "Error: Failed to open RAS registry key on remote computer.\n\nThere is no RAS software "
        "installed on remote computer.",
        "Error: Failed to open RAS registry key on remote computer.\n\nYou do not have "
        "permissions to access the key.",
        "Error: Failed to locate a Dialminder Server on the specified remote computer",
        "Error: Failed to connect to remote computer (53).",
    };
    EXPECT_EQ(m_ui.Texts(), expected);
    for (const auto& message : m_ui.m_messages)
        EXPECT_EQ(message.icon, Icon::Error);
    EXPECT_TRUE(choices.masterShare.empty());
}

TEST_F(WizardFlowTest, FailedLookupKeepsThePage)
{
    InstallRas();
    ToDirectory();
    ASSERT_TRUE(m_flow.Next());
    m_flow.m_masterYes = false;
    ASSERT_TRUE(m_flow.Next());
    m_flow.m_computerField = "NOWHERE";
    EXPECT_FALSE(m_flow.Next());
    EXPECT_EQ(m_flow.Page(), WizardPage::WhichMaster);
}

TEST_F(WizardFlowTest, RasServiceWarningOnEveryEntryOfConfirmation)
{
    InstallRas();
    SetRasService("TESTHOST", 4);
    ToDirectory();
    ASSERT_TRUE(m_flow.Next());
    ASSERT_TRUE(m_flow.Next());
    m_flow.Back();
    ASSERT_TRUE(m_flow.Next());
    EXPECT_EQ(m_ui.Texts(), (std::vector<std::string>{kServiceRunning, kServiceRunning}));
    EXPECT_EQ(m_ui.m_messages[0].icon, Icon::Warning);

    // Paused (7) still counts as running; stopped (1) does not.
    SetRasService("TESTHOST", 7);
    m_flow.Back();
    ASSERT_TRUE(m_flow.Next());
    EXPECT_EQ(m_ui.m_messages.size(), 3u);
    SetRasService("TESTHOST", 1);
    m_flow.Back();
    ASSERT_TRUE(m_flow.Next());
    EXPECT_EQ(m_ui.m_messages.size(), 3u);
}

TEST_F(WizardFlowTest, NoServiceWarningForManagerOnly)
{
    SetRasService("TESTHOST", 4);
    ToDirectory();
    m_flow.Choices().installServer = false;
    ASSERT_TRUE(m_flow.Next());
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(WizardFlowTest, TargetDirectoryIsCut)
{
    EXPECT_EQ(NormalizeTargetDirectory("C:\\Dialmind\\"), "C:\\Dialmind");
    EXPECT_EQ(NormalizeTargetDirectory("C:\\Dialmind"), "C:\\Dialmind");
    EXPECT_EQ(NormalizeTargetDirectory(std::string(600, 'x')).size(), 500u);
}
