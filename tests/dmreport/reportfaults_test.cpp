// dmreport when the report cannot be made as asked: nothing that failed ends
// as "Report created ok.", and no path leaves the network or the working
// directory's own files.

#include "common/timeformat.h"
#include "dmreport/reportjob.h"
#include "tests/dmreport/scriptfixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace dm;
using namespace dm::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

namespace {

class Feedback : public ReportJobFeedback {
public:
    void SetProgress(int) override {}
    void SetStatus(const std::string& text) override { status.push_back(text); }
    void ShowError(const std::string& text) override { errors.push_back(text); }
    std::vector<std::string> status;
    std::vector<std::string> errors;
};

class ReportFaults : public ::testing::Test {
protected:
    int Run(const std::string& script)
    {
        m_fixture.WriteScript("s.dat", script);
        m_feedback = Feedback();
        return RunReportJob("s.dat", m_feedback, [](const std::string&) { return true; });
    }
    std::string Custom(std::uint32_t from, std::uint32_t to, const std::string& file = "out.csv")
    {
        return m_fixture.Settings(1, 5, 0, file) + "TimePeriodFrom=" + std::to_string(from) +
               "\r\nTimePeriodTo=" + std::to_string(to) + "\r\n";
    }
    std::string Output() const { return ReadFile(m_fixture.Work() / "out.csv"); }

    ScriptFixture m_fixture;
    Feedback m_feedback;
};

} // namespace

TEST_F(ReportFaults, AnEventInBothTheLegacyLogAndADayFileCountsOnce)
{
    // A migration whose rename failed: the day file's event is still in Dialmind.log.
    m_fixture.Db().AddLegacyLog("[ras1\\com1]\r\n" + std::to_string(LocalTimeOf(2026, 3, 16, 8, 0, 0)) +
                                "=H1800_DOM\\SMITH?0\r\n");
    ASSERT_EQ(Run(Custom(LocalTimeOf(2026, 3, 16, 1, 0, 0), LocalTimeOf(2026, 3, 16, 23, 0, 0))), 0);
    EXPECT_EQ(Output(), "Report of usage time per UserID\r\nData from 03/16/26 01:00.\r\n"
                        "Data until 03/16/26 23:00.\r\nDOM\\SMITH,1800,1\r\nDOM\\ann,59,1\r\n");
}

TEST_F(ReportFaults, ALongCustomPeriodReadsTheDayFilesOfThePeriodOnly)
{
    // A stray copy of a day file is not a day file, however long the period.
    m_fixture.Db().AddDayFile("2026-Mar-18 - Copy",
                              "[RAS1\\COM1]\r\n" + std::to_string(LocalTimeOf(2026, 3, 18, 10, 0, 0)) +
                                  "=H5000_DOM\\stray?0\r\n");
    for (const std::uint32_t from : {LocalTimeOf(2026, 3, 17, 12, 0, 0), LocalTimeOf(2024, 1, 1, 0, 0, 0)}) {
        ASSERT_EQ(Run(Custom(from, LocalTimeOf(2026, 3, 19, 0, 0, 0))), 0);
        EXPECT_THAT(Output(), HasSubstr("DOM\\ann,"));
        EXPECT_THAT(Output(), HasSubstr("DOM\\legacy,45,1\r\n"));
        EXPECT_THAT(Output(), ::testing::Not(HasSubstr("stray")));
    }
}

TEST_F(ReportFaults, BoundsOutsideTheTimeRangeAreRefused)
{
    EXPECT_EQ(Run(m_fixture.Settings(1, 5) + "TimePeriodFrom=99999999999\r\n"), 1);
    EXPECT_THAT(m_feedback.errors, ElementsAre(::testing::StartsWith("ERROR: TimePeriodFrom 99999999999 is not a time.\nScript file: ")));
    EXPECT_EQ(Run(m_fixture.Settings(1, 5) + "TimePeriodTo=-3000000000\r\n"), 1);
    EXPECT_THAT(m_feedback.errors, ElementsAre(::testing::StartsWith("ERROR: TimePeriodTo -3000000000 is not a time.\nScript file: ")));
    EXPECT_EQ(Run(m_fixture.Settings(1, 5) + "TimePeriodTo=soon\r\n"), 1);
    EXPECT_FALSE(fs::exists(m_fixture.Work() / "out.csv"));
    // The manager writes times past 2038 as negative numbers: those are times.
    EXPECT_EQ(Run(m_fixture.Settings(1, 5) + "TimePeriodTo=-1\r\n"), 0);
}

TEST_F(ReportFaults, ADirectoryNamedAsTheOutputIsNeverRemoved)
{
    fs::create_directory(m_fixture.Work() / "reports");
    EXPECT_EQ(Run(m_fixture.Settings(1, 4, 0, "reports")), 1);
    EXPECT_THAT(m_feedback.errors,
                ElementsAre("ERROR: Could not create report file reports: it is a directory."));
    EXPECT_TRUE(fs::is_directory(m_fixture.Work() / "reports"));
    EXPECT_THAT(m_feedback.status, ::testing::Not(::testing::Contains("Report created ok.")));
}

TEST_F(ReportFaults, AFullDiskIsAnErrorAndTheDeviceStays)
{
    struct stat st {};
    if (::stat("/dev/full", &st) != 0 || !S_ISCHR(st.st_mode))
        GTEST_SKIP() << "no /dev/full";
    EXPECT_EQ(Run(m_fixture.Settings(1, 4, 0, "/dev/full")), 1);
    EXPECT_THAT(m_feedback.errors,
                ElementsAre("ERROR: Could not create report file /dev/full: No space left on device."));
    ASSERT_EQ(::stat("/dev/full", &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
}

TEST_F(ReportFaults, AnUnwritableIntermediateFileIsAnError)
{
    fs::create_directories(m_fixture.Work() / "dmtemp.dat" / "held");
    EXPECT_EQ(Run(m_fixture.Settings(1, 4)), 1);
    EXPECT_THAT(m_feedback.errors,
                ElementsAre("ERROR: Could not write " + (m_fixture.Work() / "dmtemp.dat").string() + "."));
    EXPECT_FALSE(fs::exists(m_fixture.Work() / "out.csv"));
    EXPECT_TRUE(fs::is_directory(m_fixture.Work() / "dmtemp.dat" / "held"));
}

TEST_F(ReportFaults, AnEmptyFileNameAndTheLockFile)
{
    EXPECT_EQ(Run(m_fixture.Settings(1, 4, 0, "")), 1);
    EXPECT_THAT(m_feedback.errors,
                ElementsAre("ERROR: Could not create report file: the script's FileName is empty."));
    EXPECT_EQ(Run(m_fixture.Settings(1, 4)), 0);
    EXPECT_TRUE(fs::exists(m_fixture.Work() / "dmtemp.dat"));
    EXPECT_FALSE(fs::exists(m_fixture.Work() / ".dmtemp.dat.lock"));
}

TEST_F(ReportFaults, PathsAboveTheShareAreRefused)
{
    const std::string up = "\\..\\..\\..\\..\\..\\..\\..\\..";
    std::string script = m_fixture.Settings(1, 4);
    script.replace(script.find("MasterShare=") + 12, std::string::npos,
                   m_fixture.Db().Directory() + up + "\r\n");
    EXPECT_EQ(Run(script), 1);
    EXPECT_THAT(m_feedback.errors,
                ElementsAre(::testing::StartsWith(
                    "ERROR: Invalid MasterShare in scriptfile (error 161: The specified path is invalid).\nScript file: ")));

    const std::string escape = m_fixture.Db().Directory() + up + "\\escape.csv";
    EXPECT_EQ(Run(m_fixture.Settings(1, 4, 0, escape)), 1);
    EXPECT_THAT(m_feedback.errors, ElementsAre("ERROR: Could not create report file " + escape +
                                               ": The specified path is invalid."));
    EXPECT_FALSE(fs::exists("/escape.csv"));
}
