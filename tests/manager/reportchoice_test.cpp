// The report dialogs' decisions without windows: the custom period and its
// day steps, the script that Save Script writes, and the pacing of the
// record counter.

#include "common/timeformat.h"
#include "manager/core/reportchoice.h"
#include "platform/files/profile.h"
#include "tests/manager/corefixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

using namespace dm;
using namespace std::chrono_literals;

namespace {

// Runs the test under another TZ and puts the old one back.
class ZoneGuard {
public:
    explicit ZoneGuard(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneGuard()
    {
        if (m_old.empty())
            unsetenv("TZ");
        else
            setenv("TZ", m_old.c_str(), 1);
        tzset();
    }

private:
    std::string m_old;
};

} // namespace

TEST(TimePeriodChoice, TheFirstCustomChoiceIsTodayAndLaterChoicesKeepTheBounds)
{
    const std::uint32_t now = LocalTimeOf(2026, 3, 18, 15, 0, 0);
    TimePeriodChoice choice(PeriodAllRecords, 0, 0);
    EXPECT_FALSE(choice.CustomEnabled());
    choice.Select(PeriodCustom, now);
    EXPECT_TRUE(choice.CustomEnabled());
    EXPECT_EQ(choice.From(), LocalTimeOf(2026, 3, 18, 0, 1, 0));
    EXPECT_EQ(choice.To(), LocalTimeOf(2026, 3, 18, 23, 59, 59));
    EXPECT_EQ(FormatReportDate(choice.From()), "2026-Mar-18");

    choice.Select(PeriodToday, now);
    EXPECT_EQ(choice.PeriodType(), PeriodToday);
    choice.Select(PeriodCustom, LocalTimeOf(2026, 5, 1, 9, 0, 0));
    EXPECT_EQ(choice.From(), LocalTimeOf(2026, 3, 18, 0, 1, 0)) << "a chosen period is kept";
}

TEST(TimePeriodChoice, StepsThatWouldCrossTheBoundsAreRefused)
{
    TimePeriodChoice choice(PeriodCustom, LocalTimeOf(2026, 3, 18, 0, 1, 0), LocalTimeOf(2026, 3, 18, 23, 59, 59));
    EXPECT_FALSE(choice.StepFrom(1));
    EXPECT_FALSE(choice.StepTo(-1));
    EXPECT_EQ(choice.From(), LocalTimeOf(2026, 3, 18, 0, 1, 0));
    EXPECT_EQ(choice.To(), LocalTimeOf(2026, 3, 18, 23, 59, 59));

    EXPECT_TRUE(choice.StepFrom(-1));
    EXPECT_EQ(choice.From(), LocalTimeOf(2026, 3, 17, 0, 1, 0));
    EXPECT_TRUE(choice.StepTo(-1));
    EXPECT_EQ(choice.To(), LocalTimeOf(2026, 3, 17, 23, 59, 59));
    EXPECT_FALSE(choice.StepTo(-1));
    EXPECT_TRUE(choice.StepTo(30));
    EXPECT_EQ(FormatReportDate(choice.To()), "2026-Apr-16");
}

TEST(TimePeriodChoice, ADayStepKeepsTheTimeOfDayAcrossSummerTime)
{
    ZoneGuard zone("Europe/Berlin");
    // Summer time begins in the night to 2026-03-29: that day has 23 hours.
    TimePeriodChoice choice(PeriodCustom, LocalTimeOf(2026, 3, 28, 0, 1, 0), LocalTimeOf(2026, 4, 5, 23, 59, 59));
    ASSERT_TRUE(choice.StepFrom(1));
    ASSERT_TRUE(choice.StepFrom(1));
    EXPECT_EQ(choice.From(), LocalTimeOf(2026, 3, 30, 0, 1, 0));
    ASSERT_TRUE(choice.StepFrom(-2));
    EXPECT_EQ(choice.From(), LocalTimeOf(2026, 3, 28, 0, 1, 0));
    ASSERT_TRUE(choice.StepTo(-7));
    ASSERT_TRUE(choice.StepTo(-1));
    EXPECT_EQ(choice.To(), LocalTimeOf(2026, 3, 28, 23, 59, 59));
    ASSERT_TRUE(choice.StepTo(1));
    EXPECT_EQ(choice.To(), LocalTimeOf(2026, 3, 29, 23, 59, 59));
}

TEST(ProgressPacer, RecordCountsPassAtMostTenTimesASecond)
{
    ProgressPacer pacer;
    const ProgressPacer::Clock::time_point t0{};
    EXPECT_TRUE(pacer.Pass("Loading and sorting data", t0));
    EXPECT_TRUE(pacer.Pass("Checking record 0 of 1000000", t0));
    int passed = 0;
    for (int i = 1; i < 1000; ++i)
        passed += pacer.Pass("Checking record " + std::to_string(i) + " of 1000000", t0 + i * 1ms);
    EXPECT_EQ(passed, 9) << "one count per 100 ms over a second";
    // Any other text always passes, and the count after it is shown at once.
    EXPECT_TRUE(pacer.Pass("Saving Report", t0 + 1000ms));
    EXPECT_TRUE(pacer.Pass("Checking record 1 of 2", t0 + 1001ms));
}

class ReportScriptTest : public dm::test::CoreFixture {};

TEST_F(ReportScriptTest, TheScriptHoldsTheListsTypeAndBoundsOnlyForACustomPeriod)
{
    ReportSettings settings;
    settings.reportType = 1;
    settings.periodType = PeriodCustom;
    settings.from = 3000000000u; // past 2038: written unsigned
    settings.to = 3000086399u;
    settings.print = false;
    settings.outputFileName = "C:\\Reports\\usage.csv";
    ASSERT_TRUE(WriteReportScript("dmscript.dat", MakeReportScript(settings, ReportBusyPortsPerHour,
                                                                    "\\\\HQRAS01\\DM_NT_DB")));
    const auto value = [](const char* key) {
        return GetPrivateProfileString("Settings", key, "*", "dmscript.dat");
    };
    EXPECT_EQ(value("ReportType"), "4");
    EXPECT_EQ(value("TimePeriodType"), "5");
    EXPECT_EQ(value("TimePeriodFrom"), "3000000000");
    EXPECT_EQ(value("TimePeriodTo"), "3000086399");
    EXPECT_EQ(value("PrintReport"), "0");
    EXPECT_EQ(value("FileName"), "C:\\Reports\\usage.csv");
    EXPECT_EQ(value("MasterShare"), "\\\\HQRAS01\\DM_NT_DB");

    settings.periodType = PeriodThisWeek;
    settings.print = true;
    ASSERT_TRUE(WriteReportScript("week.dat", MakeReportScript(settings, 2, "C:\\Dialmind")));
    EXPECT_EQ(GetPrivateProfileString("Settings", "TimePeriodFrom", "*", "week.dat"), "*");
    EXPECT_EQ(GetPrivateProfileString("Settings", "PrintReport", "*", "week.dat"), "1");
}
