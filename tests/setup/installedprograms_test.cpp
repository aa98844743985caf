// setup and the programs it installs, run as a new user runs them: a network
// made with dmctl, an installation medium, setup unattended, and then the
// installed copies, which must find their libraries beside themselves.

#include "tests/support/childprocess.h"
#include "tests/support/pdftext.h"
#include "tests/support/tempdir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

using namespace dm::test;
using ::testing::HasSubstr;
using ::testing::Not;
namespace fs = std::filesystem;

namespace {

const std::string kBin = DM_BIN_DIR;
const std::string kLib = DM_LIB_DIR;

class InstalledPrograms : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The programs are built without a run path: an installed copy finds
        // nothing of the build tree.
        m_environment = {"DIALMIND_NETWORK=" + (m_root / "network").string(),
                         "DIALMIND_COMPUTERNAME=TESTHOST",
                         "XDG_DATA_HOME=" + (m_root / "data").string(),
                         "XDG_CONFIG_HOME=" + (m_root / "config").string(),
                         "LD_LIBRARY_PATH",
                         "DIALMIND_RASSAPI",
                         "DIALMIND_DMREPORT_MODULE",
                         "DISPLAY",
                         "WAYLAND_DISPLAY"};
    }

    ProgramRun Run(const std::string& program, const std::vector<std::string>& args,
                   const fs::path& directory = {}, std::vector<std::string> extra = {})
    {
        std::vector<std::string> environment = m_environment;
        environment.insert(environment.end(), extra.begin(), extra.end());
        return RunProgram(program, args, environment, directory);
    }

    void Dmctl(const std::vector<std::string>& args)
    {
        const ProgramRun run = Run(kBin + "/dmctl", args);
        ASSERT_EQ(run.status, 0) << "dmctl: " << run.err;
    }

    // A medium as `make medium` writes it, except that the programs lie on it
    // uncompressed (which setup copies as they are): the compressed form has
    // tests of its own, and packing 200 MB of debug programs would take a minute.
    void MakeMedium()
    {
        const ProgramRun written =
            Run(kBin + "/dm_mkmedium", {m_medium.string(), std::string(DM_SOURCE_DIR) + "/docs/help",
                                        "NT_PURGE.EXE=" + kBin + "/nt_purge",
                                        "DIALMIND.DLL=" + kLib + "/libdialmind_component.so",
                                        "--setup", kBin + "/setup"});
        ASSERT_EQ(written.status, 0) << written.out << written.err;
        const std::vector<std::pair<std::string, std::string>> programs = {
            {"DIALMIND.EX_", kBin + "/dialmind"},         {"DMQUICK.EX_", kBin + "/dmquick"},
            {"DMREPORT.EX_", kBin + "/dmreport"},         {"librassapi.s_", kLib + "/librassapi.so"},
            {"libdmreport_window.s_", kLib + "/libdmreport_window.so"}};
        for (const auto& [source, built] : programs)
            fs::create_symlink(built, m_medium / source);
    }

    ProgramRun Setup(const std::string& answers)
    {
        WriteFile(m_root / "answers.ini", "[Setup]\r\n" + answers);
        const std::string answersFile = (m_root / "answers.ini").string();
        return Run((m_medium / "setup").string(), {"--unattended", answersFile}, m_medium);
    }

    fs::path Installed() const
    {
        return m_root / "network" / "machines" / "TESTHOST" / "drives" / "C" / "Program Files" /
               "Dialmind";
    }

    TempDir m_root;
    fs::path m_medium = m_root / "medium";
    std::vector<std::string> m_environment;
};

TEST_F(InstalledPrograms, TheServerComponentInstallsOnAComputerMadeWithDmctlAlone)
{
    Dmctl({"net", "init", (m_root / "network").string()});
    Dmctl({"net", "add-port", "TESTHOST", "COM1"});
    Dmctl({"net", "add-port", "TESTHOST", "COM2"});
    Dmctl({"net", "session", "TESTHOST", "COM1", "alice"});
    MakeMedium();

    const ProgramRun setup = Setup("InstallManager=1\r\nInstallServer=1\r\n");
    EXPECT_EQ(setup.status, 0) << setup.out << setup.err;
    EXPECT_THAT(setup.out, Not(HasSubstr("Found no RAS installed")));
    EXPECT_THAT(setup.out, HasSubstr("Setup completed."));
    EXPECT_TRUE(fs::exists(Installed() / "DIALMIND.DLL"));

    const ProgramRun glance = Run((Installed() / "DMQUICK.EXE").string(), {"--list"}, Installed());
    EXPECT_EQ(glance.status, 0) << glance.err;
    EXPECT_EQ(glance.out, "TESTHOST 1/2\n");
}

TEST_F(InstalledPrograms, SetupRunFromAnEmptyDirectoryExitsNonZeroAndWritesNothing)
{
    Dmctl({"net", "init", (m_root / "network").string()});
    Dmctl({"net", "add-port", "TESTHOST", "COM1"});
    const fs::path registry = m_root / "network" / "machines" / "TESTHOST" / "registry.reg";
    const std::string before = ReadFile(registry);
    const fs::path empty = m_root / "empty";
    fs::create_directories(empty);
    WriteFile(m_root / "answers.ini", "[Setup]\r\nInstallManager=1\r\n");
    const ProgramRun setup =
        Run(kBin + "/setup", {"--unattended", (m_root / "answers.ini").string()}, empty);
    EXPECT_EQ(setup.status, 2) << setup.out << setup.err;
    EXPECT_THAT(setup.out, HasSubstr(empty.string()));
    EXPECT_THAT(setup.out, HasSubstr("DIALMIND.EX_"));
    EXPECT_THAT(setup.out, Not(HasSubstr("Setup has completed!")));
    EXPECT_FALSE(fs::exists(Installed()));
    EXPECT_FALSE(fs::exists(m_root / "data" / "applications"));
    EXPECT_EQ(ReadFile(registry), before);
}

TEST_F(InstalledPrograms, LiveGlanceAndTheUninstallerRefuseUnknownOptionsAndNameThemselves)
{
    // No display: a window that opened by mistake would fail instead of waiting.
    const ProgramRun bogus = Run(kBin + "/dmquick", {"--bogus"}, {}, {"QT_QPA_PLATFORM=offscreen"});
    EXPECT_EQ(bogus.status, 2);
    EXPECT_THAT(bogus.err, HasSubstr("dmquick: unknown argument '--bogus'"));
    const ProgramRun glanceHelp = Run(kBin + "/dmquick", {"--help"});
    EXPECT_EQ(glanceHelp.status, 0);
    EXPECT_THAT(glanceHelp.out, HasSubstr("Usage: dmquick [--list]"));
    EXPECT_THAT(glanceHelp.out, Not(HasSubstr("DMQUICK.EXE")));
    const ProgramRun purgeHelp = Run(kBin + "/nt_purge", {"--help"});
    EXPECT_EQ(purgeHelp.status, 0);
    EXPECT_THAT(purgeHelp.out, HasSubstr("Usage: nt_purge C"));
    EXPECT_THAT(purgeHelp.out, Not(HasSubstr("NT_PURGE.EXE")));
}

TEST_F(InstalledPrograms, TheInstalledHelpLinksOnlyToItsOwnSections)
{
    Dmctl({"net", "init", (m_root / "network").string()});
    MakeMedium();
    const ProgramRun setup = Setup("InstallServer=0\r\n");
    ASSERT_EQ(setup.status, 0) << setup.out << setup.err;
    const std::string help = ReadFile(Installed() / "DM.html");
    ASSERT_EQ(help, ReadFile(Installed() / "DM.HLP"));
    int links = 0;
    for (std::size_t at = 0; (at = help.find("href=\"", at)) != std::string::npos; ++links) {
        at += 6;
        const std::string target = help.substr(at, help.find('"', at) - at);
        ASSERT_FALSE(target.empty());
        EXPECT_EQ(target[0], '#') << target;
        EXPECT_NE(help.find("id=\"" + target.substr(1) + "\""), std::string::npos) << target;
    }
    EXPECT_GE(links, 6);
}

TEST_F(InstalledPrograms, TheInstalledProgramsFindTheirLibrariesOnTheDemoNetwork)
{
    Dmctl({"net", "demo", (m_root / "network").string()});
    const ProgramRun history = Run(kBin + "/dmsim", {"generate", "--network", (m_root / "network").string(),
                                                     "--days", "1", "--end", "2026-03-03"});
    ASSERT_EQ(history.status, 0) << history.err;
    MakeMedium();
    const ProgramRun setup = Setup("InstallServer=0\r\n");
    ASSERT_EQ(setup.status, 0) << setup.out << setup.err;
    ASSERT_TRUE(fs::exists(Installed() / "librassapi.so"));
    ASSERT_TRUE(fs::exists(Installed() / "libdmreport_window.so"));

    const ProgramRun glance = Run((Installed() / "DMQUICK.EXE").string(), {"--list"}, Installed());
    EXPECT_THAT(glance.out, HasSubstr("HQRAS01 6/16\n"));
    EXPECT_THAT(glance.err, Not(HasSubstr("Rassapi.dll")));

    // The manager's picture of a port status needs a port in session, found
    // through the RAS library.
    const fs::path pictures = m_root / "pictures";
    const ProgramRun manager = Run((Installed() / "DIALMIND.EXE").string(),
                                   {"--screenshots", pictures.string()}, Installed(),
                                   {"QT_QPA_PLATFORM=offscreen"});
    EXPECT_THAT(manager.err, Not(HasSubstr("Rassapi.dll")));
    EXPECT_THAT(manager.err, Not(HasSubstr("no port in session")));
    EXPECT_TRUE(fs::exists(pictures / "port-status.png")) << manager.out << manager.err;

    // Printing loads the report window module.
    WriteFile(m_root / "script.dat", "[Settings]\r\nFileName=out.csv\r\n"
                                     "MasterShare=\\\\HQRAS01\\DM_NT_DB\r\nReportType=3\r\n"
                                     "TimePeriodType=4\r\nPrintReport=2\r\n");
    const std::string pdf = (m_root / "report.pdf").string();
    const ProgramRun report = Run((Installed() / "DMReport.Exe").string(),
                                  {"--console", (m_root / "script.dat").string()}, m_root.path(),
                                  {"DIALMIND_PRINTER=pdf:" + pdf, "QT_QPA_PLATFORM=offscreen"});
    EXPECT_EQ(report.status, 0) << report.err;
    EXPECT_THAT(report.out, HasSubstr("Report created ok."));
    EXPECT_THAT(PdfText(pdf), HasSubstr("Dialminder Report: Denied Connections."));

    // Without the library beside it, the manager says so instead of showing nothing.
    fs::remove(Installed() / "librassapi.so");
    const ProgramRun bare = Run((Installed() / "DIALMIND.EXE").string(),
                                {"--screenshots", (m_root / "bare").string()}, Installed(),
                                {"QT_QPA_PLATFORM=offscreen"});
    EXPECT_THAT(bare.err, HasSubstr("Error when loading Rassapi.dll"));
}

TEST_F(InstalledPrograms, ATargetAboveTheDriveIsRefusedAndNothingIsWrittenOutsideTheNetwork)
{
    Dmctl({"net", "init", (m_root / "network").string()});
    MakeMedium();
    const ProgramRun setup = Setup("InstallServer=0\r\nTargetDirectory=C:\\..\\..\\..\\escape\r\n");
    EXPECT_NE(setup.status, 0);
    EXPECT_THAT(setup.out + setup.err, HasSubstr("161"));
    EXPECT_FALSE(fs::exists(m_root / "escape"));
    EXPECT_FALSE(fs::exists(m_root / "network" / "escape"));
    EXPECT_FALSE(fs::exists(m_root / "network" / "machines" / "escape"));
}

TEST_F(InstalledPrograms, SetupSaysWhatItCanDoAndRefusesAMisspeltSection)
{
    const ProgramRun help = Run(kBin + "/setup", {"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, HasSubstr("--unattended ANSWERS"));
    EXPECT_THAT(help.out, HasSubstr("--screenshots DIR"));

    Dmctl({"net", "init", (m_root / "network").string()});
    MakeMedium();
    WriteFile(m_root / "answers.ini", "[Setpu]\r\nInstallServer=0\r\n");
    const ProgramRun misspelt = Run((m_medium / "setup").string(),
                                    {"--unattended", (m_root / "answers.ini").string()}, m_medium);
    EXPECT_EQ(misspelt.status, 2);
    EXPECT_THAT(misspelt.err, HasSubstr("Setpu"));
    EXPECT_FALSE(fs::exists(Installed()));
}

} // namespace

TEST_F(InstalledPrograms, AStaleDisplayIsOneLineAndStatusOneNotAnAbort)
{
    // DISPLAY names an X server that is not there; no platform chosen by hand.
    const std::vector<std::string> stale = {"DISPLAY=:4711", "QT_QPA_PLATFORM"};
    const std::vector<std::pair<std::string, std::vector<std::string>>> runs = {
        {kBin + "/dialmind", {}},
        {kBin + "/setup", {}},
        {kBin + "/setup", {"--screenshots", (m_root / "shots").string()}},
        {kBin + "/dmquick", {}}};
    for (const auto& [program, args] : runs) {
        const ProgramRun run = Run(program, args, {}, stale);
        EXPECT_EQ(run.status, 1) << program << (run.signalled ? " was killed" : "") << run.err;
        EXPECT_FALSE(run.signalled) << program;
        EXPECT_THAT(run.err, HasSubstr("no display can be reached")) << program;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << program << run.err;
    }
}
