// The installation run against temporary emulated networks and media.

#include "platform/system/progman.h"
#include "platform/files/verinstall.h"
#include "setup/installer.h"
#include "tests/setup/setupfixture.h"

#include <fstream>

using namespace dm;
using dm::test::ReadFile;
using dm::test::SetupFixture;
using dm::test::WriteFile;

namespace {

struct RecordedSteps : InstallProgress {
    void SetStep(const std::string& step, const std::string& detail, int position) override
    {
        m_steps.push_back(step + "|" + detail + "|" + std::to_string(position));
    }
    std::vector<std::string> m_steps;
};

class InstallerTest : public SetupFixture {
protected:
    void SetUp() override
    {
        SetupFixture::SetUp();
        m_contents = MakeMedium();
        m_choices.targetDirectory = "C:\\Program Files\\Dialmind";
        m_choices.masterShare = "\\\\TESTHOST\\DM_NT_DB";
    }
    bool Install()
    {
        Installer installer(m_choices, m_ui, m_steps, m_medium, 0);
        return installer.Run();
    }
    std::filesystem::path Target(const std::string& name)
    {
        return Local(m_choices.targetDirectory + "\\" + name);
    }
    static std::uint32_t RegDword(const std::string& key, const std::string& name)
    {
        std::uint32_t number = 99;
        OpenKey("TESTHOST", key).QueryDword(name, number);
        return number;
    }
    static std::vector<std::string> NullSessionShares()
    {
        std::vector<std::string> shares;
        OpenKey("TESTHOST", "System\\CurrentControlSet\\Services\\LanManServer\\Parameters")
            .QueryMultiString("NullSessionShares", shares);
        return shares;
    }
    static std::string Desktop(const std::string& file)
    {
        return ReadFile(DesktopApplicationsDir() / file);
    }

    std::map<std::string, std::string> m_contents;
    SetupChoices m_choices;
    RecordedSteps m_steps;
    const std::string m_admin = "Software\\Microsoft\\RAS\\AdminDLL";
};

} // namespace

TEST_F(InstallerTest, FullMasterInstall)
{
    ASSERT_TRUE(Install());
    EXPECT_TRUE(m_ui.m_messages.empty()) << m_ui.Texts()[0];

    // Every file expanded byte for byte where the table puts it.
    for (const char* name : {"DIALMIND.EXE", "DM.HLP", "DM.CNT", "DMQUICK.EXE", "DMREPORT.EXE",
                             "DIALMIND.DLL", "DIALMIND.USR", "DIALMIND.HW"})
        EXPECT_TRUE(ReadFile(Target(name)) == m_contents[name]) << name;
    const auto windows = Network::LocalWindowsDir();
    EXPECT_EQ(ReadFile(windows / "NT_PURGE.EXE"), m_contents["NT_PURGE.EXE"]);
    EXPECT_EQ(ReadFile(windows / "MFC42.DLL"), m_contents["MFC42.DLL"]);
    EXPECT_EQ(ReadFile(windows / "MSVCRT40.DLL"), m_contents["MSVCRT40.DLL"]);
    EXPECT_TRUE(std::filesystem::is_directory(Target("LogData")));
    EXPECT_NE(std::filesystem::status(Target("DIALMIND.EXE")).permissions() &
                  std::filesystem::perms::owner_exec,
              std::filesystem::perms::none);

    // Every registry value.
    const std::string dir = m_choices.targetDirectory;
    EXPECT_EQ(RegString(m_admin, "DLLPath"), dir + "\\DIALMIND.DLL");
    EXPECT_EQ(RegString(m_admin, "DATAPath"), dir + "\\");
    EXPECT_EQ(RegString(m_admin, "DisplayName"), "Dialminder by Osterhall Software");
    EXPECT_EQ(RegString(m_admin, "MasterShare"), "\\\\TESTHOST\\DM_NT_DB");
    EXPECT_EQ(RegDword(m_admin, "IdleTimer"), 0u);
    EXPECT_EQ(RegDword(m_admin, "IdleBytesLimit"), 2000u);
    EXPECT_EQ(RegDword(m_admin, "Master"), 1u);
    EXPECT_EQ(RegString(m_admin, "Version"), "V1.40");
    const std::string uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
    EXPECT_EQ(RegString(uninstall + "Dialminder Server", "DisplayName"),
              "Dialminder Server Component");
    // The system's own form, as a real registry holds it.
    EXPECT_EQ(RegString(uninstall + "Dialminder Server", "UninstallString"),
              "C:\\WINNT\\NT_PURGE.EXE S");
    EXPECT_EQ(RegString(uninstall + "Dialminder Manager", "DisplayName"), "Dialminder Manager");
    EXPECT_EQ(RegString(uninstall + "Dialminder Manager", "UninstallString"),
              "C:\\WINNT\\NT_PURGE.EXE C");
    EXPECT_EQ(Local("C:\\WINNT\\NT_PURGE.EXE"), windows / "NT_PURGE.EXE");
    EXPECT_EQ(RegString("Software\\Osterhall Software\\Dialminder", "Directory"), dir);

    // The share reaches the target directory, and null sessions may open it.
    EXPECT_EQ(Local("\\\\TESTHOST\\DM_NT_DB\\DIALMIND.HW"), Target("DIALMIND.HW"));
    EXPECT_EQ(NullSessionShares(), std::vector<std::string>{"DM_NT_DB"});

    // The five commands, with the blank-holding paths quoted.
    const std::vector<std::string> commands = {
        "[CreateGroup(Dialminder for Windows NT)]",
        "[AddItem(\"C:\\Program Files\\Dialmind\\Dialmind.exe\",Dialminder Manager)]",
        "[AddItem(\"C:\\Program Files\\Dialmind\\DMQUICK.EXE\",Dialminder LiveGlance)]",
        "[AddItem(\"C:\\Program Files\\Dialmind\\DM.html\",Dialminder for Windows NT)]",
        "[AddItem(C:\\WINNT\\NT_PURGE.EXE C,Uninstall Dialminder Manager)]"};
    EXPECT_EQ(ReadProgmanCommands(), commands);
    const std::string manager = Desktop("dialminder-dialminder-for-windows-nt-dialminder-manager.desktop");
    EXPECT_NE(manager.find("Name=Dialminder Manager\n"), std::string::npos);
    // The programs run on the network they were installed into.
    const std::string env = "Exec=env DIALMIND_NETWORK=" + Network::Root().string() +
                            " DIALMIND_COMPUTERNAME=TESTHOST ";
    EXPECT_NE(manager.find(env + "\"" + Target("DIALMIND.EXE").string() + "\"\n"), std::string::npos)
        << manager;
    const std::string purge =
        Desktop("dialminder-dialminder-for-windows-nt-uninstall-dialminder-manager.desktop");
    EXPECT_NE(purge.find(env + (windows / "NT_PURGE.EXE").string() + " C\n"), std::string::npos)
        << purge;
    // The help opens as the HTML it is, the same pages as DM.HLP.
    EXPECT_NE(Desktop("dialminder-dialminder-for-windows-nt-dialminder-for-windows-nt.desktop")
                  .find("Exec=xdg-open \"" + Target("DM.html").string() + "\"\n"),
              std::string::npos);
    EXPECT_TRUE(ReadFile(Target("DM.html")) == m_contents["DM.HLP"]);
    EXPECT_NE(ReadFile(DesktopMenuMergeDir() / "dialminder-dialminder-for-windows-nt.menu")
                  .find("<Name>Dialminder for Windows NT</Name>"),
              std::string::npos);

    // Steps in order, ending with the clean-up.
    ASSERT_FALSE(m_steps.m_steps.empty());
    EXPECT_EQ(m_steps.m_steps.front(), "Creating Target Directory|C:\\Program Files\\Dialmind|10");
    EXPECT_EQ(m_steps.m_steps.back(), "Finishing|Clean up|100");
    for (const char* step : {"Copying Files|DIALMIND.EXE|20", "Copying Files|UnInstall|25",
                             "Copying Files|DIALMIND.DLL|30", "Copying Files|MFC42.DLL|50",
                             "Building Registry|Osterhall Software|80", "Building Registry|Share|88",
                             "Building Registry|Version|90", "Creating Folders and Icons| |96"})
        EXPECT_NE(std::find(m_steps.m_steps.begin(), m_steps.m_steps.end(), step),
                  m_steps.m_steps.end())
            << step;
}

TEST_F(InstallerTest, NullSessionShareEnteredOnceAcrossRuns)
{
    {
        RegKey hive, key;
        ASSERT_EQ(RegOpenHive("TESTHOST", hive), 0u);
        ASSERT_EQ(hive.CreateKey("System\\CurrentControlSet\\Services\\LanManServer\\Parameters", key), 0u);
        ASSERT_EQ(key.SetMultiString("NullSessionShares", {"COMCFG", "DFS$"}), 0u);
    }
    ASSERT_TRUE(Install());
    m_ui.QueueAnswer(Answer::No);
    m_ui.QueueAnswer(Answer::No);
    ASSERT_TRUE(Install());
    EXPECT_EQ(NullSessionShares(), (std::vector<std::string>{"COMCFG", "DFS$", "DM_NT_DB"}));
}

TEST_F(InstallerTest, ManagerOnlyInstall)
{
    m_choices.installServer = false;
    ASSERT_TRUE(Install());
    EXPECT_TRUE(std::filesystem::exists(Target("DIALMIND.EXE")));
    EXPECT_FALSE(std::filesystem::exists(Target("DIALMIND.DLL")));
    EXPECT_FALSE(std::filesystem::exists(Target("LogData")));
    EXPECT_FALSE(OpenKey("TESTHOST", m_admin).IsOpen());
    EXPECT_TRUE(NullSessionShares().empty());
    EXPECT_TRUE(ReadFile(Network::ComputerDir("TESTHOST").value() / "shares.ini").find("DM_NT_DB") ==
                std::string::npos);
    // The uninstaller and the runtime files come with every install.
    const auto windows = Network::LocalWindowsDir();
    EXPECT_TRUE(std::filesystem::exists(windows / "NT_PURGE.EXE"));
    EXPECT_TRUE(std::filesystem::exists(windows / "MFC42.DLL"));
    EXPECT_TRUE(std::filesystem::exists(windows / "MSVCRT40.DLL"));
    EXPECT_EQ(ReadProgmanCommands().size(), 5u);
}

TEST_F(InstallerTest, ReinstallAnsweringNoKeepsBothSettingsFiles)
{
    ASSERT_TRUE(Install());
    WriteFile(Target("Dialmind.hw"), "[Ports]\r\nmine=1\r\n");
    WriteFile(Target("dialmind.usr"), "[DOM\\joe]\r\nTotal=5\r\n");
    m_ui.QueueAnswer(Answer::No);
    m_ui.QueueAnswer(Answer::No);
    ASSERT_TRUE(Install());
    ASSERT_EQ(m_ui.m_messages.size(), 2u);
    EXPECT_EQ(m_ui.m_messages[0].text,
              "File Dialmind.usr exists in target directory. This file contains\nall user and "
              "group settings as well as usage information.\nWould you like to overwrite it?");
    EXPECT_EQ(m_ui.m_messages[1].text,
              "File Dialmind.hw exists in target directory. This file contains\nall port and "
              "server settings. Would you like to overwrite it?");
    for (const auto& m : m_ui.m_messages) {
        EXPECT_EQ(m.buttons, Buttons::YesNo);
        EXPECT_EQ(m.icon, Icon::Question);
    }
    EXPECT_EQ(ReadFile(Target("Dialmind.hw")), "[Ports]\r\nmine=1\r\n");
    EXPECT_EQ(ReadFile(Target("dialmind.usr")), "[DOM\\joe]\r\nTotal=5\r\n");

    // Yes replaces, and the previous component is kept as dialmind.old.dll.
    WriteFile(Target("DIALMIND.DLL"), "previous component");
    m_ui.QueueAnswer(Answer::Yes);
    m_ui.QueueAnswer(Answer::Yes);
    ASSERT_TRUE(Install());
    EXPECT_EQ(ReadFile(Target("Dialmind.hw")), m_contents["DIALMIND.HW"]);
    EXPECT_EQ(ReadFile(Target("dialmind.usr")), m_contents["DIALMIND.USR"]);
    EXPECT_EQ(ReadFile(Target("dialmind.old.dll")), "previous component");
    EXPECT_EQ(ReadFile(Target("DIALMIND.DLL")), m_contents["DIALMIND.DLL"]);
}

TEST_F(InstallerTest, NonMasterWritesMasterZeroAndTheRemoteShare)
{
    m_choices.isMaster = false;
    m_choices.masterShare = "\\\\CENTRAL\\DM_NT_DB";
    ASSERT_TRUE(Install());
    EXPECT_EQ(RegDword(m_admin, "Master"), 0u);
    EXPECT_EQ(RegString(m_admin, "MasterShare"), "\\\\CENTRAL\\DM_NT_DB");
    EXPECT_TRUE(NullSessionShares().empty());
}

// The running RAS service holds the component: Retry waits for it, Cancel
// leaves the old file and says to run setup again.
class LockingInteraction : public dm::test::RecordingInteraction {
public:
    Answer ShowMessage(const std::string& text, const std::string& caption, Buttons buttons,
                       Icon icon) override
    {
        const Answer answer = RecordingInteraction::ShowMessage(text, caption, buttons, icon);
        if (buttons == Buttons::RetryCancel && ++m_retries == 2)
            SetRasService("TESTHOST", 1);
        return answer;
    }
    static void SetRasService(const std::string& computer, int state)
    {
        SetupFixture::SetRasService(computer, state);
    }
    int m_retries = 0;
};

TEST_F(InstallerTest, LockedComponentRetryAndCancel)
{
    ASSERT_TRUE(Install());
    WriteFile(Target("DIALMIND.DLL"), "running component");
    SetRasService("TESTHOST", 4);

    LockingInteraction ui;
    for (int i = 0; i < 2; ++i)
        ui.QueueAnswer(Answer::Retry);
    ui.QueueAnswer(Answer::No);
    ui.QueueAnswer(Answer::No);
    Installer installer(m_choices, ui, m_steps, m_medium, 0);
    installer.InstallFile("DIALMIND.DLL", false, InstalledFile::ServerComponent);
    EXPECT_EQ(ui.m_retries, 2);
    EXPECT_EQ(ReadFile(Target("DIALMIND.DLL")), m_contents["DIALMIND.DLL"]);

    WriteFile(Target("DIALMIND.DLL"), "running component");
    SetRasService("TESTHOST", 4);
    m_ui.QueueAnswer(Answer::Cancel);
    Installer again(m_choices, m_ui, m_steps, m_medium, 0);
    again.InstallFile("DIALMIND.DLL", false, InstalledFile::ServerComponent);
    EXPECT_EQ(m_ui.Texts(),
              (std::vector<std::string>{
                  "Unable to update the file 'DIALMIND.DLL' in the destination\ndirectory. Please "
                  "verify that the RAS Service is stopped, before clicking 'Retry'.",
                  "You must re-run SETUP at a later time to properly update the\nDialminder "
                  "server component on this system"}));
    EXPECT_EQ(m_ui.m_messages[0].buttons, Buttons::RetryCancel);
    EXPECT_EQ(ReadFile(Target("DIALMIND.DLL")), "running component");
}

TEST_F(InstallerTest, SourceNames)
{
    EXPECT_EQ(Installer::SourceName("DIALMIND.EXE"), "DIALMIND.EX_");
    EXPECT_EQ(Installer::SourceName("DMReport.Exe"), "DMReport.Ex_");
    EXPECT_EQ(Installer::SourceName("DIALMIND.HW"), "Dialmind.hw_");
    EXPECT_EQ(Installer::SourceName("MSVCRT40.DLL"), "MSVCRT40.DL_");
    EXPECT_EQ(QuoteIfBlank("C:\\Dialmind\\DM.HLP"), "C:\\Dialmind\\DM.HLP");
    // The platform's expand restores each name from its source name and the
    // letter the SZDD header keeps; an appended '_' is dropped, not replaced.
    const auto lower = [](std::string s) {
        for (char& c : s)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return s;
    };
    for (const std::string& name : InstalledFileNames(true, true))
        EXPECT_EQ(lower(SzddExpandedName(Installer::SourceName(name), Installer::SourceMissingChar(name))),
                  lower(name));
    EXPECT_EQ(Installer::SourceMissingChar("DIALMIND.HW"), 0);
    EXPECT_EQ(Installer::SourceMissingChar("DIALMIND.EXE"), 'E');
    const std::string header = ReadFile(m_medium / "Dialmind.hw_");
    ASSERT_GT(header.size(), 10u);
    EXPECT_EQ(SzddExpandedName("Dialmind.hw_", header[9]), "Dialmind.hw");
    EXPECT_EQ(QuoteIfBlank("C:\\My Apps\\DM.HLP"), "\"C:\\My Apps\\DM.HLP\"");
}

TEST_F(InstallerTest, RuntimeFilesAreVersionChecked)
{
    // A newer runtime already in the Windows directory stays without force;
    // setup forces, as it always installs its own copy.
    const auto windows = Network::LocalWindowsDir();
    WriteFile(windows / "MFC42.DLL", "FileVersion=9.0.0.0\r\nnewer\n");
    EXPECT_EQ(VerInstallFile(false, "MFC42.DL_", "MFC42.DLL", m_medium.string(), windows.string()),
              verinstall::SourceOld);
    EXPECT_EQ(ReadFile(windows / "MFC42.DLL"), "FileVersion=9.0.0.0\r\nnewer\n");
    Installer installer(m_choices, m_ui, m_steps, m_medium, 0);
    installer.InstallRuntimeFile("MFC42.DLL", 50);
    EXPECT_EQ(ReadFile(windows / "MFC42.DLL"), m_contents["MFC42.DLL"]);
    EXPECT_TRUE(m_ui.m_beeps.empty());
}

TEST_F(InstallerTest, RegistryFailureAbortsTheRun)
{
    BreakLocalRegistry();
    EXPECT_FALSE(Install());
    const auto texts = m_ui.Texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2],
              "ERROR: An error occured during the installation.\n\nUnable to Open Registry.");
    EXPECT_EQ(texts.back(), "Installation will abort!");
    // Files were copied before the failure; nothing after it ran.
    EXPECT_TRUE(std::filesystem::exists(Target("DIALMIND.DLL")));
    EXPECT_TRUE(ReadProgmanCommands().empty());
    EXPECT_NE(m_steps.m_steps.back(), "Finishing|Clean up|100");
}
