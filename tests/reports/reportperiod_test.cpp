#include "common/timeformat.h"
#include "reports/reportperiod.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

using namespace dm;

namespace {

// Calendar time of a local date and time in the test's time zone.
// Switches the process to another time zone for one test.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone)
    {
        const char* old = std::getenv("TZ");
        m_had = old != nullptr;
        if (m_had)
            m_old = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ScopedTimeZone()
    {
        if (m_had)
            setenv("TZ", m_old.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

private:
    bool m_had = false;
    std::string m_old;
};

} // namespace

TEST(ReportPeriod, TodayStartsOneMinuteAfterMidnight)
{
    const std::time_t now = LocalTimeOf(2026, 3, 18, 15, 0, 0); // a Wednesday
    const ReportPeriod today = ComputeReportPeriod(PeriodToday, now);
    EXPECT_EQ(today.from, LocalTimeOf(2026, 3, 18, 0, 1, 0));
    EXPECT_EQ(today.to, LocalTimeOf(2026, 3, 18, 23, 59, 59));
    EXPECT_FALSE(today.Contains(LocalTimeOf(2026, 3, 18, 0, 0, 30)));
    EXPECT_TRUE(today.Contains(LocalTimeOf(2026, 3, 18, 0, 1, 1)));
    // Both bounds are strict.
    EXPECT_FALSE(today.Contains(today.from));
    EXPECT_FALSE(today.Contains(today.to));
    EXPECT_TRUE(today.Contains(today.to - 1));
}

TEST(ReportPeriod, ThisWeekStartsOnMonday)
{
    // Sunday: the Monday six days earlier.
    const ReportPeriod sunday = ComputeReportPeriod(PeriodThisWeek, LocalTimeOf(2026, 3, 22, 10, 0, 0));
    EXPECT_EQ(sunday.from, LocalTimeOf(2026, 3, 16, 0, 1, 0));
    EXPECT_EQ(sunday.to, LocalTimeOf(2026, 3, 22, 23, 59, 59));
    // Monday: the same day.
    const ReportPeriod monday = ComputeReportPeriod(PeriodThisWeek, LocalTimeOf(2026, 3, 16, 0, 30, 0));
    EXPECT_EQ(monday.from, LocalTimeOf(2026, 3, 16, 0, 1, 0));
    EXPECT_EQ(monday.to, LocalTimeOf(2026, 3, 16, 23, 59, 59));
    const ReportPeriod saturday = ComputeReportPeriod(PeriodThisWeek, LocalTimeOf(2026, 3, 21, 23, 0, 0));
    EXPECT_EQ(saturday.from, LocalTimeOf(2026, 3, 16, 0, 1, 0));
}

TEST(ReportPeriod, ThisWeekCountsCalendarDaysAcrossDaylightSaving)
{
    // Summer time starts on Friday 2026-03-27 here, inside the week: counting
    // back 5 x 86400 seconds from Saturday 00:01 would land on Sunday 23:01.
    ScopedTimeZone zone("Asia/Jerusalem");
    const ReportPeriod week = ComputeReportPeriod(PeriodThisWeek, LocalTimeOf(2026, 3, 28, 12, 0, 0));
    EXPECT_EQ(week.from, LocalTimeOf(2026, 3, 23, 0, 1, 0));
    EXPECT_EQ(LocalTimeOf(2026, 3, 28, 0, 1, 0) - week.from, 5u * 86400u - 3600u);
}

TEST(ReportPeriod, ThisMonthAllRecordsAndCustom)
{
    const std::time_t now = LocalTimeOf(2026, 2, 28, 8, 0, 0);
    const ReportPeriod month = ComputeReportPeriod(PeriodThisMonth, now);
    EXPECT_EQ(month.from, LocalTimeOf(2026, 2, 1, 0, 1, 0));
    EXPECT_EQ(month.to, LocalTimeOf(2026, 2, 28, 23, 59, 59));

    const ReportPeriod all = ComputeReportPeriod(PeriodAllRecords, now);
    EXPECT_EQ(all.from, 0u);
    EXPECT_EQ(all.to, 4294967295u);
    EXPECT_TRUE(all.Contains(1));
    EXPECT_TRUE(all.Contains(4294967294u)); // unsigned: times past 2038 count

    const ReportPeriod custom{1000, 2000};
    EXPECT_EQ(ComputeReportPeriod(PeriodCustom, now, custom), custom);
    EXPECT_EQ(ComputeReportPeriod(9, now, custom), custom);
}
