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
    std::tm tm{};
    tm.tm_year = 2026 - 1900;
    tm.tm_mon = 2;
    tm.tm_mday = 8;
    tm.tm_hour = 7;
    tm.tm_min = 5;
    tm.tm_sec = 59;
    tm.tm_isdst = -1;
    const auto time = static_cast<std::uint32_t>(std::mktime(&tm));
    EXPECT_EQ(FormatReportTime(time), "03/08/26 07:05"); // seconds dropped, not rounded
    EXPECT_EQ(FormatReportTime(0), "01/01/70 01:00");
}
