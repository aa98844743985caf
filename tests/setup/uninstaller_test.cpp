// NT_PURGE: what setup installed goes, the database stays.

#include "platform/system/progman.h"
#include "setup/installer.h"
#include "setup/uninstaller.h"
#include "tests/setup/setupfixture.h"

#include <sstream>

using namespace dm;
using dm::test::ReadFile;
using dm::test::SetupFixture;
using dm::test::WriteFile;

namespace {

struct NoProgress : InstallProgress {
    void SetStep(const std::string&, const std::string&, int) override {}
};

class UninstallerTest : public SetupFixture {
protected:
    void SetUp() override
    {
        SetupFixture::SetUp();
        MakeMedium();
        m_choices.targetDirectory = "C:\\Dialmind";
        m_choices.masterShare = "\\\\TESTHOST\\DM_NT_DB";
        NoProgress progress;
        ASSERT_TRUE(Installer(m_choices, m_ui, progress, m_medium, 0).Run());
    }
    std::filesystem::path Target(const std::string& name) { return Local("C:\\Dialmind\\" + name); }
    SetupChoices m_choices;
    std::ostringstream m_out;
};

} // namespace

TEST_F(UninstallerTest, ManagerGoesWithItsMenu)
{
    const auto menu = DesktopApplicationsDir();
    ASSERT_FALSE(std::filesystem::is_empty(menu));
    EXPECT_EQ(UninstallManager(m_out), 0) << m_out.str();
    for (const char* name : {"DIALMIND.EXE", "DM.HLP", "DM.CNT", "DMQUICK.EXE", "DMREPORT.EXE"})
        EXPECT_FALSE(std::filesystem::exists(Target(name))) << name;
    EXPECT_TRUE(std::filesystem::is_empty(menu));
    EXPECT_FALSE(std::filesystem::exists(DesktopMenuMergeDir() / "dialminder-dialminder-for-windows-nt.menu"));
    EXPECT_TRUE(RegString("Software\\Osterhall Software\\Dialminder", "Directory").empty());
    EXPECT_FALSE(OpenKey("TESTHOST", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dialminder Manager").IsOpen());
    // The server component is untouched.
    EXPECT_TRUE(std::filesystem::exists(Target("DIALMIND.DLL")));
    EXPECT_FALSE(RegString("Software\\Microsoft\\RAS\\AdminDLL", "DLLPath").empty());
}

TEST_F(UninstallerTest, ServerComponentGoesTheDatabaseStays)
{
    WriteFile(Target("LogData") / "1997-Dec-05.log", "[S\\P]\r\n1=C_x\r\n");
    EXPECT_EQ(UninstallServerComponent(m_out), 0) << m_out.str();
    EXPECT_FALSE(std::filesystem::exists(Target("DIALMIND.DLL")));
    EXPECT_TRUE(std::filesystem::exists(Target("DIALMIND.HW")));
    EXPECT_TRUE(std::filesystem::exists(Target("DIALMIND.USR")));
    EXPECT_TRUE(std::filesystem::exists(Target("LogData") / "1997-Dec-05.log"));
    EXPECT_FALSE(OpenKey("TESTHOST", "Software\\Microsoft\\RAS\\AdminDLL").IsOpen());
    EXPECT_FALSE(OpenKey("TESTHOST", "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dialminder Server").IsOpen());
    std::vector<std::string> shares;
    OpenKey("TESTHOST", "System\\CurrentControlSet\\Services\\LanManServer\\Parameters")
        .QueryMultiString("NullSessionShares", shares);
    EXPECT_TRUE(shares.empty());
    EXPECT_FALSE(ResolvePath("\\\\TESTHOST\\DM_NT_DB\\Dialmind.hw").ok());
    // The manager is untouched.
    EXPECT_TRUE(std::filesystem::exists(Target("DIALMIND.EXE")));
}

TEST_F(UninstallerTest, RunningRasServiceKeepsTheComponent)
{
    SetRasService("TESTHOST", 4);
    EXPECT_NE(UninstallServerComponent(m_out), 0);
    EXPECT_NE(m_out.str().find("Stop the RAS Service"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(Target("DIALMIND.DLL")));
    EXPECT_FALSE(RegString("Software\\Microsoft\\RAS\\AdminDLL", "DLLPath").empty());
}
