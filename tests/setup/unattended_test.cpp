// Unattended installs: answers file, console transcript and exit statuses.

#include "setup/unattended.h"
#include "common/logrecord.h"
#include "tests/setup/setupfixture.h"

#include <sstream>

using namespace dm;
using dm::test::ReadFile;
using dm::test::SetupFixture;
using dm::test::WriteFile;

namespace {

class UnattendedTest : public SetupFixture {
protected:
    void SetUp() override
    {
        SetupFixture::SetUp();
        m_contents = MakeMedium();
    }
    int Run(const std::string& answersText)
    {
        WriteFile(m_root / "answers.ini", answersText);
        UnattendedAnswers answers;
        std::string error;
        if (!ReadUnattendedAnswers(m_root / "answers.ini", answers, error)) {
            m_out << error;
            return -1;
        }
        return RunUnattended(answers, m_medium, m_out);
    }
    std::map<std::string, std::string> m_contents;
    std::ostringstream m_out;
};

} // namespace

TEST_F(UnattendedTest, MasterInstallWithMigration)
{
    InstallRas();
    // An old database already shared from the target directory.
    const auto target = Local("C:\\Dialmind");
    std::filesystem::create_directories(target);
    WriteFile(target / "Dialmind.log", "[TESTHOST\\COM1]\r\n881280000=C_DOM\\joe\r\n");
    WriteFile(target / "Dialmind.hw", "kept");
    WriteFile(target / "Dialmind.usr", "kept too");

    const int status = Run("[Setup]\r\nTargetDirectory=C:\\Dialmind\\\r\nOverwriteUserSettings=Yes\r\n");
    EXPECT_EQ(status, unattendedexit::Completed) << m_out.str();
    EXPECT_EQ(ReadFile(target / "Dialmind.hw"), "kept");
    EXPECT_TRUE(ReadFile(target / "Dialmind.usr") == m_contents["DIALMIND.USR"]);
    EXPECT_TRUE(std::filesystem::exists(target / "dialmind.migrated"));
    EXPECT_EQ(GetPrivateProfileString("TESTHOST\\COM1", "881280000", "",
                                      DayLogPath("\\\\TESTHOST\\DM_NT_DB", 881280000)),
              "C_DOM\\joe");
    const std::string out = m_out.str();
    EXPECT_NE(out.find("[10%] Creating Target Directory: C:\\Dialmind\n"), std::string::npos) << out;
    EXPECT_NE(out.find("File Dialmind.hw exists in target directory."), std::string::npos);
    EXPECT_NE(out.find("  -> No\n"), std::string::npos);
    EXPECT_NE(out.find("  -> Yes\n"), std::string::npos);
    EXPECT_NE(out.find("% (0 records)"), std::string::npos);
    EXPECT_NE(out.find("Setup has completed!"), std::string::npos);
}

TEST_F(UnattendedTest, StopsWhenRasIsMissing)
{
    EXPECT_EQ(Run("[Setup]\r\nTargetDirectory=C:\\Dialmind\r\n"), unattendedexit::CheckStopped);
    EXPECT_NE(m_out.str().find("Warning: Found no RAS installed on this computer."), std::string::npos);
    EXPECT_EQ(m_out.str().find("Setup has completed!"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Local("C:\\Dialmind")));
}

TEST_F(UnattendedTest, StopsWhenTheMasterCannotBeFound)
{
    InstallRas();
    EXPECT_EQ(Run("[Setup]\r\nMaster=0\r\nMasterComputer=ELSEWHERE\r\n"),
              unattendedexit::CheckStopped);
    EXPECT_NE(m_out.str().find("Error: Failed to connect to remote computer (53)."), std::string::npos);
}

TEST_F(UnattendedTest, ManagerOnlyNeedsNoRas)
{
    EXPECT_EQ(Run("[Setup]\r\nInstallServer=0\r\n"), unattendedexit::Completed) << m_out.str();
    EXPECT_TRUE(std::filesystem::exists(Local("C:\\Program Files\\Dialmind\\DIALMIND.EXE")));
}

TEST_F(UnattendedTest, AbortedRunReportsFailureAndSkipsMigration)
{
    InstallRas();
    const auto target = Local("C:\\Dialmind");
    std::filesystem::create_directories(target);
    WriteFile(target / "Dialmind.log", "[TESTHOST\\COM1]\r\n881280000=C_DOM\\joe\r\n");
    BreakLocalRegistry();
    EXPECT_EQ(Run("[Setup]\r\nTargetDirectory=C:\\Dialmind\r\n"), unattendedexit::Aborted);
    const std::string out = m_out.str();
    EXPECT_NE(out.find("ERROR: An error occured during the installation.\n\nUnable to "),
              std::string::npos) << out;
    EXPECT_NE(out.find("Installation will abort!"), std::string::npos);
    EXPECT_NE(out.find("Setup failed"), std::string::npos);
    EXPECT_EQ(out.find("Setup has completed!"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(target / "Dialmind.log"));
    EXPECT_FALSE(std::filesystem::exists(target / "LogData" / "1997-Dec-04.log"));
}

TEST_F(UnattendedTest, BadAnswersAreRefused)
{
    EXPECT_EQ(Run("[Setup]\r\nInstallServer=maybe\r\n"), -1);
    EXPECT_NE(m_out.str().find("InstallServer=maybe"), std::string::npos);
    m_out.str("");
    EXPECT_EQ(Run("[Setup]\r\nInstallServer=0\r\nInstallManager=0\r\n"), -1);
    m_out.str("");
    EXPECT_EQ(Run("[Setup]\r\nMaster=0\r\n"), -1);
    EXPECT_NE(m_out.str().find("MasterComputer"), std::string::npos);
    UnattendedAnswers answers;
    std::string error;
    EXPECT_FALSE(ReadUnattendedAnswers(m_root / "missing.ini", answers, error));
}
