// Setup where things go wrong: paths that would leave the network, target
// directories that cannot be made, refused steps, misspelt answers, and the
// RAS check on a computer whose RAS came from the emulated network's tools.

#include "common/logrecord.h"
#include "platform/files/hosterror.h"
#include "platform/system/progman.h"
#include "platform/ras/rasportstore.h"
#include "setup/installer.h"
#include "setup/logmigration.h"
#include "setup/setupchecks.h"
#include "setup/unattended.h"
#include "tests/setup/setupfixture.h"
#include "tests/support/childprocess.h"

#include <cerrno>
#include <csignal>
#include <sys/resource.h>
#include <sstream>

using namespace dm;
using dm::test::ReadFile;
using dm::test::SetupFixture;
using dm::test::WriteFile;
namespace fs = std::filesystem;

namespace {

struct NoSteps : InstallProgress {
    void SetStep(const std::string&, const std::string&, int) override {}
};

class InstallFaultsTest : public SetupFixture {
protected:
    void SetUp() override
    {
        SetupFixture::SetUp();
        MakeMedium();
        m_choices.targetDirectory = "C:\\Dialmind";
        m_choices.masterShare = "\\\\TESTHOST\\DM_NT_DB";
    }
    bool Install(std::vector<std::string>* problems = nullptr)
    {
        NoSteps steps;
        Installer installer(m_choices, m_ui, steps, m_medium, 0);
        const bool ok = installer.Run();
        if (problems != nullptr)
            *problems = installer.Problems();
        return ok;
    }
    int Unattended(const std::string& answersText)
    {
        WriteFile(m_root / "answers.ini", answersText);
        UnattendedAnswers answers;
        std::string error;
        int status = 0;
        if (!ReadUnattendedAnswers(m_root / "answers.ini", answers, error, &status)) {
            m_out << error;
            return status;
        }
        return RunUnattended(answers, m_medium, m_out);
    }
    std::string LastLine() const
    {
        std::string out = m_out.str();
        if (!out.empty() && out.back() == '\n')
            out.pop_back();
        return out.substr(out.rfind('\n') + 1);
    }
    // What lies in the temporary directory outside the network and the medium.
    std::vector<fs::path> Strays() const
    {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(m_root.path())) {
            const std::string name = entry.path().filename().string();
            if (name != "network" && name != "medium" && name != "data" && name != "config" &&
                name != "answers.ini" && name != "escape")
                found.push_back(entry.path());
        }
        return found;
    }

    SetupChoices m_choices;
    std::ostringstream m_out;
};

} // namespace

TEST_F(InstallFaultsTest, TargetDirectoryThatCannotBeMadeIsReportedAndTheRunGoesOn)
{
    const fs::path drive = Local("C:\\");
    fs::create_directories(drive);
    fs::create_symlink("loop", drive / "loop");
    for (const std::string& target : {std::string("C:\\loop\\Dialmind"), "C:\\" + std::string(300, 'x'),
                                      std::string("C:\\..\\..\\..\\..\\..\\Dialmind")}) {
        m_ui.m_messages.clear();
        m_choices.targetDirectory = target;
        std::vector<std::string> problems;
        EXPECT_TRUE(Install(&problems)) << target;
        ASSERT_FALSE(m_ui.m_messages.empty()) << target;
        EXPECT_EQ(m_ui.m_messages[0].text,
                  "ERROR: An error occured during the installation.\n\nUnable to create target directory!");
        ASSERT_FALSE(problems.empty());
        EXPECT_NE(problems[0].find("target directory"), std::string::npos);
    }
    EXPECT_TRUE(Strays().empty());
    EXPECT_FALSE(fs::exists(m_root / "Dialmind"));
}

TEST_F(InstallFaultsTest, AMasterShareAboveTheShareMigratesNothingOutside)
{
    // CENTRAL's share lies six levels below the temporary directory.
    Network::AddComputer("CENTRAL");
    ASSERT_TRUE(WritePrivateProfileString("Shares", "DM_NT_DB", "C:\\Dialmind",
                                          (Network::ComputerDir("CENTRAL").value() / "shares.ini").string()));
    SetRegString("CENTRAL", "Software\\Microsoft\\RAS\\AdminDLL", "MasterShare",
                 "\\\\CENTRAL\\DM_NT_DB\\..\\..\\..\\..\\..\\..\\escape");
    const fs::path escape = m_root / "escape";
    fs::create_directories(escape);
    WriteFile(escape / "Dialmind.log", "[CENTRAL\\COM1]\r\n881280000=C_DOM\\joe\r\n");
    InstallRas();

    Unattended("[Setup]\r\nMaster=0\r\nMasterComputer=CENTRAL\r\nInstallManager=0\r\n");
    EXPECT_TRUE(fs::exists(escape / "Dialmind.log"));
    EXPECT_FALSE(fs::exists(escape / "LogData"));
    EXPECT_FALSE(fs::exists(escape / "dialmind.migrated"));
    EXPECT_TRUE(Strays().empty());
}

TEST_F(InstallFaultsTest, RefusedComponentUpdateIsNotASuccess)
{
    InstallRas();
    ASSERT_EQ(Unattended("[Setup]\r\nInstallManager=0\r\n"), unattendedexit::Completed) << m_out.str();
    EXPECT_EQ(LastLine(), "Setup completed.");
    // The RAS service now holds the component: the update is refused (Cancel).
    SetRasService("TESTHOST", 4);
    m_out.str("");
    EXPECT_EQ(Unattended("[Setup]\r\nInstallManager=0\r\n"), unattendedexit::Incomplete);
    EXPECT_NE(m_out.str().find("Unable to update the file 'DIALMIND.DLL'"), std::string::npos);
    EXPECT_EQ(LastLine().rfind("Setup completed with errors: DIALMIND.DLL was not updated", 0), 0u)
        << LastLine();
}

TEST_F(InstallFaultsTest, FailedDayFileWritesEndTheRunAsAFailedConversion)
{
    InstallRas();
    const fs::path target = Local("C:\\Dialmind");
    fs::create_directories(target / "LogData");
    WriteFile(target / "Dialmind.log", "[TESTHOST\\COM1]\r\n881280000=C_DOM\\joe\r\n881280060=H_DOM\\joe_60\r\n");
    // The day file cannot be written: a directory holds its name.
    fs::create_directories(ResolvePathOrEmpty(DayLogPath("C:\\Dialmind", 881280000)) / "sub");

    EXPECT_EQ(Unattended("[Setup]\r\nInstallManager=0\r\nTargetDirectory=C:\\Dialmind\r\n"),
              unattendedexit::MigrationFailed);
    EXPECT_EQ(m_out.str().find("Converted 2 records."), std::string::npos) << m_out.str();
    EXPECT_EQ(LastLine(), "Setup failed: the log conversion did not complete (0 of 2 records "
                          "written); Dialmind.log was kept.");
    EXPECT_TRUE(fs::exists(target / "Dialmind.log"));
}

TEST_F(InstallFaultsTest, UnknownSectionsAndKeysInstallNothing)
{
    InstallRas();
    EXPECT_EQ(Unattended("[Setpu]\r\nInstallManager=0\r\n"), unattendedexit::UnknownAnswers);
    EXPECT_NE(m_out.str().find("unknown section [Setpu]"), std::string::npos) << m_out.str();
    m_out.str("");
    EXPECT_EQ(Unattended("[Setup]\r\nTargetDir=C:\\Elsewhere\r\nmaster=1\r\n"),
              unattendedexit::UnknownAnswers);
    EXPECT_NE(m_out.str().find("unknown key TargetDir in [Setup]"), std::string::npos) << m_out.str();
    EXPECT_EQ(m_out.str().find("master"), std::string::npos);
    EXPECT_FALSE(fs::exists(Local("C:\\Program Files\\Dialmind")));
    EXPECT_FALSE(fs::exists(Local("C:\\Elsewhere")));
}

TEST_F(InstallFaultsTest, TheTargetIsCutAtACharacterBoundary)
{
    const std::string typed = std::string(499, 'a') + "\xc3\xa9" + "tail";
    EXPECT_EQ(NormalizeTargetDirectory(typed), std::string(499, 'a'));
    const std::string exact = std::string(498, 'a') + "\xc3\xa9" + "tail";
    EXPECT_EQ(NormalizeTargetDirectory(exact), std::string(498, 'a') + "\xc3\xa9");
    EXPECT_EQ(NormalizeTargetDirectory("C:\\Dialmind\\"), "C:\\Dialmind");
}

TEST_F(InstallFaultsTest, UninstallEntriesSurviveABlankInTheNetworkPath)
{
    setenv("DIALMIND_NETWORK", (m_root / "my network").c_str(), 1);
    Network::AddComputer("TESTHOST");
    m_choices.installServer = false;
    ASSERT_TRUE(Install());
    const std::string purge = ReadFile(
        DesktopApplicationsDir() / "dialminder-dialminder-for-windows-nt-uninstall-dialminder-manager.desktop");
    const std::string host = (Network::LocalWindowsDir() / "NT_PURGE.EXE").string();
    ASSERT_NE(host.find(' '), std::string::npos);
    EXPECT_NE(purge.find("\nExec=env \"DIALMIND_NETWORK=" + Network::Root().string() +
                         "\" DIALMIND_COMPUTERNAME=TESTHOST \"" + host + "\" C\n"),
              std::string::npos)
        << purge;
    std::string uninstall;
    OpenKey("TESTHOST", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dialminder Manager")
        .QueryString("UninstallString", uninstall);
    EXPECT_EQ(uninstall, "C:\\WINNT\\NT_PURGE.EXE C");
    EXPECT_EQ(Local("C:\\WINNT\\NT_PURGE.EXE"), host);
    EXPECT_TRUE(fs::exists(host));
}

TEST_F(InstallFaultsTest, PortsAddedByTheNetworkToolsPassTheRasCheck)
{
    RasPortRecord port;
    port.name = "COM1";
    ASSERT_EQ(RasPortStore("TESTHOST").SavePort(port), 0u);
    EXPECT_TRUE(CheckRasInstalled(m_ui));
    EXPECT_TRUE(m_ui.m_messages.empty());
}

TEST_F(InstallFaultsTest, MigrationMessagesShowThePlatformsErrorNumbers)
{
    const fs::path db = Local("C:\\Db");
    fs::create_directories(db);
    WriteFile(db / "Dialmind.log", "[TESTHOST\\COM1]\r\n881280000=C_DOM\\joe\r\n");
    WriteFile(db / "LogData", "a plain file where the directory belongs");
    struct : MigrationProgress {
        void SetStatus(const std::string&) override {}
        void SetPosition(int) override {}
    } progress;
    LogMigration migration("C:\\Db", m_ui, progress);
    EXPECT_FALSE(migration.Run());
    ASSERT_FALSE(m_ui.m_messages.empty());
    EXPECT_EQ(m_ui.m_messages[0].text,
              "An error occured at step 2 (183).\n\nThe target directory could not be created.");

    m_ui.m_messages.clear();
    LogMigration missing("C:\\Nowhere", m_ui, progress);
    EXPECT_FALSE(missing.Run());
    ASSERT_FALSE(m_ui.m_messages.empty());
    EXPECT_EQ(m_ui.m_messages[0].text, "An error occured at step 1 (3).\n\nThe source directory was in error.");
    EXPECT_EQ(WinErrorOfErrno(ENOSPC), 112u);
    EXPECT_EQ(WinErrorOfErrno(EACCES), 5u);
}

// Everything an installation run leaves behind: the registry, the target
// directory, the menu entries and the commands sent for them.
class MediumTest : public InstallFaultsTest {
protected:
    bool NothingWritten() const
    {
        RegKey hive, key;
        const bool registryEmpty =
            RegOpenLocalMachine(hive) == 0 &&
            hive.OpenKey(setupnames::AdminDllKey, key) == winerr::FileNotFound &&
            hive.OpenKey(setupnames::ManagerKey, key) == winerr::FileNotFound &&
            hive.OpenKey(setupnames::UninstallKey, key) == winerr::FileNotFound;
        std::error_code ec;
        return registryEmpty && !fs::exists(Local("C:\\Dialmind"), ec) &&
               !fs::exists(DesktopApplicationsDir(), ec) && ReadProgmanCommands().empty();
    }
};

TEST_F(MediumTest, AnEmptyDirectoryIsRefusedBeforeAnythingIsWritten)
{
    InstallRas();
    fs::remove_all(m_medium);
    fs::create_directories(m_medium);
    EXPECT_FALSE(Install());
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    const std::string& text = m_ui.m_messages[0].text;
    EXPECT_NE(text.find(m_medium.string()), std::string::npos) << text;
    EXPECT_NE(text.find("DIALMIND.EX_"), std::string::npos) << text;
    EXPECT_NE(text.find("Dialmind.hw_"), std::string::npos) << text;
    EXPECT_EQ(m_ui.m_messages[0].icon, Icon::Error);
    EXPECT_TRUE(NothingWritten());

    m_out.str("");
    EXPECT_EQ(Unattended("[Setup]\r\n"), unattendedexit::CheckStopped);
    EXPECT_EQ(m_out.str().find("Setup has completed!"), std::string::npos) << m_out.str();
    EXPECT_EQ(LastLine(), "Setup stopped: the installation medium is incomplete; nothing was installed.");
    EXPECT_TRUE(NothingWritten());
}

TEST_F(MediumTest, OnlyTheFilesOfTheChosenComponentsAreRequired)
{
    InstallRas();
    fs::remove(m_medium / "DIALMIND.DL_");
    // A manager-only installation has no use for the server component.
    EXPECT_TRUE(MissingMediumFiles(m_medium, true, false).empty());
    EXPECT_EQ(MissingMediumFiles(m_medium, false, true), std::vector<std::string>{"DIALMIND.DL_"});
    EXPECT_EQ(Unattended("[Setup]\r\nInstallManager=0\r\n"), unattendedexit::CheckStopped);
    const std::string out = m_out.str();
    EXPECT_NE(out.find("did not find DIALMIND.DL_."), std::string::npos) << out;
    EXPECT_TRUE(NothingWritten());
    // Names on the medium may be in any case.
    fs::rename(m_medium / "DIALMIND.EX_", m_medium / "dialmind.ex_");
    EXPECT_TRUE(MissingMediumFiles(m_medium, true, false).empty());
}

TEST_F(MediumTest, ADamagedFileIsReportedAndTheRunEndsIncomplete)
{
    // The header announces more than the data holds.
    std::string damaged = ReadFile(m_medium / "DMQUICK.EX_");
    damaged.resize(40);
    WriteFile(m_medium / "DMQUICK.EX_", damaged);
    EXPECT_EQ(Unattended("[Setup]\r\nInstallServer=0\r\nTargetDirectory=C:\\Dialmind\r\n"),
              unattendedexit::Incomplete);
    const std::string out = m_out.str();
    EXPECT_NE(out.find("Unable to install the file 'DMQUICK.EXE'"), std::string::npos) << out;
    EXPECT_EQ(LastLine().rfind("Setup completed with errors: DMQUICK.EXE was not installed (error 13)", 0), 0u)
        << LastLine();
    EXPECT_FALSE(fs::exists(Local("C:\\Dialmind\\DMQUICK.EXE")));
    // The other files went on to be installed.
    EXPECT_TRUE(fs::exists(Local("C:\\Dialmind\\DIALMIND.EXE")));
}

TEST_F(InstallFaultsTest, AHostPathOrALinkOutAsTargetInstallsNothingOutside)
{
    m_choices.targetDirectory = (m_root / "host").string();
    std::vector<std::string> problems;
    Install(&problems);
    EXPECT_FALSE(problems.empty());
    EXPECT_FALSE(fs::exists(m_root / "host"));

    // The target's directory a link out of the network.
    fs::create_directories(m_root / "elsewhere");
    fs::create_directories(Local("C:\\"));
    fs::create_directory_symlink(m_root / "elsewhere", Local("C:\\") / "Linked");
    m_choices.targetDirectory = "C:\\Linked";
    problems.clear();
    Install(&problems);
    EXPECT_FALSE(problems.empty());
    EXPECT_TRUE(fs::is_empty(m_root / "elsewhere"));
}

TEST_F(InstallFaultsTest, AFullDiskKeepsTheInstalledProgramsAndIsReported)
{
    ASSERT_TRUE(Install());
    const fs::path program = Local("C:\\Dialmind\\DIALMIND.EXE");
    const std::string installed = ReadFile(program);
    ASSERT_FALSE(installed.empty());

    // A file size limit makes every program copy fail as on a full disk.
    const auto installFull = [this](const char* expected) {
        return dm::test::RunInChild([this, expected] {
            struct rlimit limit {1000, 1000};
            signal(SIGXFSZ, SIG_IGN);
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                return 2;
            std::vector<std::string> problems;
            Install(&problems);
            for (const std::string& problem : problems)
                if (problem.rfind(expected, 0) == 0)
                    return 0;
            return 1;
        });
    };
    EXPECT_EQ(installFull("DIALMIND.EXE was not installed (error "), 0);
    EXPECT_EQ(ReadFile(program), installed);
    EXPECT_NE(fs::status(program).permissions() & fs::perms::owner_exec, fs::perms::none);
    for (const auto& entry : fs::directory_iterator(program.parent_path()))
        EXPECT_NE(entry.path().extension(), ".tmp") << entry.path();

    // A fresh install on a full disk leaves no empty programs behind.
    fs::remove_all(program.parent_path());
    EXPECT_EQ(installFull("DIALMIND.EXE was not installed (error "), 0);
    EXPECT_FALSE(fs::exists(program));
}
