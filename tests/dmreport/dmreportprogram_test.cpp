// The dmreport program itself, run the way a scheduler runs it.

#include "tests/dmreport/scriptfixture.h"
#include "tests/support/childprocess.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

using namespace dm::test;
using ::testing::HasSubstr;

namespace {

using Outcome = ProgramRun;

// Runs build/bin/dmreport with the arguments in the current directory,
// without a display, with extra "NAME=value" environment settings.
Outcome RunDmreport(const std::vector<std::string>& args,
                    std::vector<std::string> environment = {})
{
    environment.insert(environment.begin(), {"DISPLAY", "WAYLAND_DISPLAY"});
    return RunProgram(std::string(DM_BIN_DIR) + "/dmreport", args, environment);
}

class DmreportProgram : public ::testing::Test {
protected:
    ScriptFixture m_fixture;
};

} // namespace

TEST_F(DmreportProgram, ErrorsGoToStandardErrorWithStatusOne)
{
    Outcome none = RunDmreport({});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, "ERROR: No scripting file supplied.\n");
    EXPECT_EQ(none.out, "");

    m_fixture.WriteScript("s.dat", "MasterShare=" + m_fixture.Db().Directory() +
                                       "\r\nReportType=2\r\nTimePeriodType=1\r\n");
    Outcome missing = RunDmreport({"--console", "s.dat"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err.rfind("ERROR: No PrintReport in scriptfile.\nScript file: ", 0), 0u) << missing.err;
    EXPECT_NE(missing.err.find("s.dat\n"), std::string::npos) << missing.err;
    EXPECT_EQ(missing.out, "Progress: 20%\n");
}

TEST_F(DmreportProgram, ConsoleRunWritesTheReport)
{
    m_fixture.WriteScript("my script.dat", m_fixture.Settings(2, 4));
    // The script name is the rest of the command line, blanks included.
    Outcome run = RunDmreport({"my", "script.dat"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "Progress: 20%\nProgress: 40%\nGenerating Report...\nProgress: 60%\n"
                       "Progress: 100%\nReport created ok.\n");
    EXPECT_EQ(ReadFile(m_fixture.Work() / "out.csv"), Golden("type2-period4.csv", ""));
    EXPECT_EQ(ReadFile(m_fixture.Work() / "dmtemp.dat"), Golden("type2-period4.dmtemp.dat", ""));
}

TEST_F(DmreportProgram, PrintReportTwoPrints)
{
    m_fixture.WriteScript("s.dat", m_fixture.Settings(3, 4, 2));
    const std::string pdf = (m_fixture.Work() / "report.pdf").string();
    Outcome run = RunDmreport({"--console", "s.dat"}, {"DIALMIND_PRINTER=pdf:" + pdf});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    ASSERT_TRUE(std::filesystem::exists(pdf));
    EXPECT_FALSE(std::filesystem::exists(m_fixture.Work() / "out.csv"));
    FILE* text = popen(("pdftotext -layout '" + pdf + "' -").c_str(), "r");
    ASSERT_NE(text, nullptr);
    std::string contents;
    char buffer[4096];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, text))
        contents.append(buffer, n);
    pclose(text);
    EXPECT_THAT(contents, HasSubstr("Dialminder Report: Denied Connections."));
    EXPECT_THAT(contents, HasSubstr("DOM\\mallory"));
}

TEST_F(DmreportProgram, HelpAndUnknownOptions)
{
    Outcome help = RunDmreport({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_THAT(help.out, HasSubstr("--console"));
    EXPECT_THAT(help.out, HasSubstr("--window"));
    EXPECT_THAT(help.out, HasSubstr("dmscript.dat"));

    Outcome unknown = RunDmreport({"--fast", "s.dat"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_THAT(unknown.err, HasSubstr("unknown option --fast"));
}

TEST_F(DmreportProgram, TheProgramLinksNoQt)
{
    // Qt is loaded only for the window and for printing.
    FILE* deps = popen(("ldd '" + std::string(DM_BIN_DIR) + "/dmreport'").c_str(), "r");
    ASSERT_NE(deps, nullptr);
    std::string libraries;
    char buffer[4096];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, deps))
        libraries.append(buffer, n);
    pclose(deps);
    EXPECT_THAT(libraries, HasSubstr("libc.so"));
    EXPECT_THAT(libraries, ::testing::Not(HasSubstr("Qt")));
}
