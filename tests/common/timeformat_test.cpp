#include "common/timeformat.h"

#include <gtest/gtest.h>

using namespace dm;

// The tests run with TZ=Europe/Berlin and LC_ALL=C.
TEST(TimeFormatTest, TextsInTheCLocale)
{
    const std::uint32_t t = 881327047; // 1997-12-05 14:04:07 local
    EXPECT_EQ(FormatShortDate(t), "12/05/97");
    EXPECT_EQ(FormatTimeOfDay(t), "14:04:07");
    EXPECT_EQ(FormatTime24(t), "14:04");
    EXPECT_EQ(FormatDayLogDate(t), "1997-Dec-05");
}

TEST(TimeFormatTest, DayWindowAndCalendarDaysAcrossDaylightSavingTime)
{
    EXPECT_EQ(StartOfLocalDay(881319600), 881276400u);
    EXPECT_EQ(EndOfLocalDay(881319600), 881362799u);
    // 1997-03-30 has 23 hours: 23:30 on the 29th plus 86,400 s is already the
    // 31st; stepping by calendar days still lands on the 30th.
    const std::uint32_t lateOn29th = 859674600;
    EXPECT_EQ(FormatDayLogDate(lateOn29th + 86400), "1997-Mar-31");
    EXPECT_EQ(FormatDayLogDate(AddLocalDays(lateOn29th, 1)), "1997-Mar-30");
    EXPECT_EQ(FormatDayLogDate(AddLocalDays(lateOn29th, 2)), "1997-Mar-31");
    EXPECT_EQ(FormatDayLogDate(AddLocalDays(lateOn29th, -29)), "1997-Feb-28");
    EXPECT_EQ(EndOfLocalDay(859716000) - StartOfLocalDay(859716000), 23u * 3600 - 1);
}

TEST(TimeFormatTest, TimesBeyondTheRangeSaturate)
{
    EXPECT_EQ(AddLocalDays(0xFFFF0000u, 10), 0xFFFFFFFFu);
    EXPECT_EQ(FromLocalFields(LocalFields(1000)), 1000u);
}
