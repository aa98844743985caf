// The script reading and the run of dmreport, in process.

#include "common/timeformat.h"
#include "dmreport/reportjob.h"
#include "platform/files/network.h"
#include "tests/dmreport/scriptfixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace dm;
using namespace dm::test;
using ::testing::AllOf;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

namespace {

class RecordingFeedback : public ReportJobFeedback {
public:
    void SetProgress(int percent) override { progress.push_back(percent); }
    void SetStatus(const std::string& text) override { status.push_back(text); }
    void ShowError(const std::string& text) override { errors.push_back(text); }

    std::vector<int> progress;
    std::vector<std::string> status;
    std::vector<std::string> errors;
};

class ReportJob : public ::testing::Test {
protected:
    // Runs the job; printing is recorded, not done.
    int Run(const std::string& commandText)
    {
        m_feedback = RecordingFeedback();
        return RunReportJob(commandText, m_feedback, [this](const std::string& file) {
            m_printed.push_back(file);
            return m_printerAvailable;
        });
    }

    ScriptFixture m_fixture;
    RecordingFeedback m_feedback;
    std::vector<std::string> m_printed;
    bool m_printerAvailable = true;
};

} // namespace

TEST_F(ReportJob, ScriptErrorsInTheirOrder)
{
    const std::string share = "MasterShare=" + m_fixture.Db().Directory() + "\r\n";
    const struct {
        std::string script;
        std::string error;
    } cases[] = {
        {share, "ERROR: No ReportType in scriptfile."},
        {share + "ReportType=1\r\n", "ERROR: No TimePeriodType in scriptfile."},
        {share + "ReportType=1\r\nTimePeriodType=4\r\n", "ERROR: No PrintReport in scriptfile."},
        // FileName is required even when the report is printed.
        {share + "ReportType=1\r\nTimePeriodType=4\r\nPrintReport=1\r\n",
         "ERROR: No FileName in scriptfile."},
        // A key whose value is "*" reads as missing.
        {share + "ReportType=*\r\nTimePeriodType=4\r\nPrintReport=0\r\nFileName=x\r\n",
         "ERROR: No ReportType in scriptfile."},
    };
    for (const auto& c : cases) {
        m_fixture.WriteScript("bad.dat", c.script);
        EXPECT_EQ(Run("bad.dat"), 1) << c.error;
        EXPECT_THAT(m_feedback.errors,
                    ElementsAre(AllOf(StartsWith(c.error + "\nScript file: "), EndsWith("bad.dat"))));
        EXPECT_THAT(m_feedback.progress, ElementsAre(20)); // the file was found
        EXPECT_TRUE(m_feedback.status.empty());
    }
    EXPECT_FALSE(std::filesystem::exists(m_fixture.Work() / "dmtemp.dat"));
    EXPECT_TRUE(m_printed.empty());
}

TEST_F(ReportJob, MissingOrInvalidScript)
{
    EXPECT_EQ(Run(""), 1);
    EXPECT_THAT(m_feedback.errors, ElementsAre("ERROR: No scripting file supplied."));
    EXPECT_TRUE(m_feedback.progress.empty());

    // Each says which file and what is wrong with it.
    EXPECT_EQ(Run("nothere.dat"), 1);
    ASSERT_EQ(m_feedback.errors.size(), 1u);
    EXPECT_THAT(m_feedback.errors[0], StartsWith("ERROR: Invalid Script File.\nThe script file nothere.dat "
                                                 "was not found (looked for "));
    EXPECT_THAT(m_feedback.errors[0], HasSubstr((m_fixture.Work() / "nothere.dat").string()));

    m_fixture.WriteScript("noshare.dat", "MasterShare=*\r\nReportType=1\r\n");
    EXPECT_EQ(Run("noshare.dat"), 1);
    EXPECT_THAT(m_feedback.errors, ElementsAre(AllOf(
        StartsWith("ERROR: Invalid Script File.\n"),
        EndsWith("noshare.dat is not a report script: its [Settings] section has no MasterShare."))));

    dm::test::WriteFile(m_fixture.Work() / "garbage.dat", std::string("\x7f" "ELF\0\0binary", 11));
    EXPECT_EQ(Run("garbage.dat"), 1);
    EXPECT_THAT(m_feedback.errors,
                ElementsAre(EndsWith("garbage.dat is not a report script: it has no [Settings] section.")));

    std::filesystem::create_directories(m_fixture.Work() / "folder.dat");
    EXPECT_EQ(Run("folder.dat"), 1);
    EXPECT_THAT(m_feedback.errors, ElementsAre(EndsWith("folder.dat is a directory, not a script file.")));
}

TEST_F(ReportJob, BareNameIsLookedForInTheWindowsDirectoryFirst)
{
    // Only in the working directory: found on the second try.
    m_fixture.WriteScript("dmscript.dat", m_fixture.Settings(1, 4));
    EXPECT_EQ(Run("dmscript.dat"), 0);
    EXPECT_TRUE(m_feedback.errors.empty());
    EXPECT_TRUE(std::filesystem::exists(m_fixture.Work() / "out.csv"));

    // In the Windows directory too: that one answers.
    WriteFile(Network::LocalWindowsDir() / "DMSCRIPT.DAT",
              "[Settings]\r\n" + m_fixture.Settings(1, 4, 0, "windows.csv"));
    EXPECT_EQ(Run("dmscript.dat"), 0);
    EXPECT_TRUE(std::filesystem::exists(m_fixture.Work() / "windows.csv"));
    std::filesystem::remove(Network::LocalWindowsDir() / "DMSCRIPT.DAT");
}

TEST_F(ReportJob, CustomPeriodComesFromTheScript)
{
    m_fixture.WriteScript("s.dat", m_fixture.Settings(1, 5) + "TimePeriodFrom=" +
                                       std::to_string(LocalTimeOf(2026, 3, 10, 12, 0, 0)) +
                                       "\r\nTimePeriodTo=" +
                                       std::to_string(LocalTimeOf(2026, 3, 17, 12, 0, 0)) + "\r\n");
    EXPECT_EQ(Run("s.dat"), 0);
    EXPECT_EQ(ReadFile(m_fixture.Work() / "out.csv"), Golden("type1-period5.csv", ""));

    // Without TimePeriodTo the period stays open towards the future.
    m_fixture.WriteScript("s.dat", m_fixture.Settings(1, 5) + "TimePeriodFrom=" +
                                       std::to_string(LocalTimeOf(2026, 3, 18, 12, 0, 0)) + "\r\n");
    EXPECT_EQ(Run("s.dat"), 0);
    EXPECT_EQ(ReadFile(m_fixture.Work() / "out.csv"),
              "Report of usage time per UserID\r\nData from 03/18/26 12:00.\r\n"
              "Data until 02/07/06 07:28.\r\nDOM\\ann,120,1\r\nDOM\\zed,999,1\r\n");
}

TEST_F(ReportJob, AnyNonZeroPrintReportPrints)
{
    m_fixture.WriteScript("s.dat", m_fixture.Settings(3, 4, 2));
    EXPECT_EQ(Run("s.dat"), 0);
    ASSERT_EQ(m_printed.size(), 1u);
    EXPECT_EQ(m_printed[0], (m_fixture.Work() / "dmtemp.dat").string());
    EXPECT_FALSE(std::filesystem::exists(m_fixture.Work() / "out.csv"));
}

TEST_F(ReportJob, AnUnwritableReportFileIsAnError)
{
    m_fixture.WriteScript("s.dat", m_fixture.Settings(1, 4, 0, "nodir/out.csv"));
    EXPECT_EQ(Run("s.dat"), 1);
    EXPECT_THAT(m_feedback.errors,
                ElementsAre("ERROR: Could not create report file nodir/out.csv: No such file or directory."));
    EXPECT_THAT(m_feedback.status, ElementsAre("Generating Report..."));
}

TEST_F(ReportJob, NoPrinterIsAnError)
{
    m_printerAvailable = false;
    m_fixture.WriteScript("s.dat", m_fixture.Settings(3, 4, 1));
    EXPECT_EQ(Run("s.dat"), 1);
    EXPECT_THAT(m_feedback.errors,
                ElementsAre("ERROR: Could not print the report: no printer is available."));
    EXPECT_THAT(m_feedback.status, ElementsAre("Generating Report..."));
}
