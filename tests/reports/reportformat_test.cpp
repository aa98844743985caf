#include "common/timeformat.h"
#include "reports/reportformat.h"

#include <gtest/gtest.h>

#include <ctime>

using namespace dm;

TEST(ReportFormat, DurationInHoursMinutesSeconds)
{
    EXPECT_EQ(FormatDuration(3725), "1\" 2' 5");
    EXPECT_EQ(FormatDuration(59), "0\" 0' 59");
    EXPECT_EQ(FormatDuration(0), "0\" 0' 0");
    EXPECT_EQ(FormatDuration(360000), "100\" 0' 0"); // hours do not wrap at a day
}

TEST(ReportFormat, ReportTimeIsLocalShortDateAndMinutes)
{
    // The tests run with LC_ALL=C and TZ=Europe/Berlin.
    const std::uint32_t time = LocalTimeOf(2026, 3, 8, 7, 5, 59);
    EXPECT_EQ(FormatReportTime(time), "03/08/26 07:05"); // seconds dropped, not rounded
    EXPECT_EQ(FormatReportTime(0), "01/01/70 01:00");
}
