#include "common/timeformat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

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

TEST(TimeFormatTest, DateAndTimeAgreeWithTheLocalePictureAcrossDaysZonesAndClockChanges)
{
    // 2026-03-29 (23 hours) and 2026-10-25 (25 hours) in Berlin, each second
    // around the changes and the midnights next to them, in rising and in
    // falling order (the order a list asks in either way).
    std::vector<std::uint32_t> times;
    for (const std::uint32_t change : {1774746000u, 1792890000u}) {
        for (std::uint32_t t = change - 7300; t <= change + 7300; t += 97)
            times.push_back(t);
    }
    for (const std::uint32_t midnight : {1774738800u, 1774821600u, 1792879200u, 1792969200u})
        times.insert(times.end(), {midnight - 1, midnight, midnight + 1});
    // An ordinary day, formed from its midnight's fields.
    for (std::uint32_t t = 1774821600u; t < 1774821600u + 86400; t += 13)
        times.push_back(t);
    for (int pass = 0; pass < 2; ++pass) {
        for (const std::uint32_t t : times)
            ASSERT_EQ(FormatLocalDateTime(t), FormatLocalTime("%x %X", t)) << t;
        std::reverse(times.begin(), times.end());
    }
    // Another zone gives the other date at once, even inside a day formed before.
    const std::uint32_t lateEvening = 1774821600u - 1800; // 2026-03-29 23:30 in Berlin
    EXPECT_EQ(FormatLocalDateTime(lateEvening), "03/29/26 23:30:00");
    const char* berlin = std::getenv("TZ");
    const std::string old = berlin != nullptr ? berlin : "";
    setenv("TZ", "America/New_York", 1);
    tzset();
    EXPECT_EQ(FormatLocalDateTime(lateEvening), "03/29/26 17:30:00");
    EXPECT_EQ(FormatLocalDateTime(lateEvening + 7 * 3600), "03/30/26 00:30:00");
    if (berlin != nullptr)
        setenv("TZ", old.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    EXPECT_EQ(FormatLocalDateTime(lateEvening), "03/29/26 23:30:00");
}
