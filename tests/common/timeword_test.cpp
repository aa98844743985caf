#include "common/timeformat.h"
#include "common/timeword.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

// The tests run with TZ=Europe/Berlin: 1997-12-05 14:04:07 local is 881327047.
constexpr std::uint32_t kFifthTwoPast = 881327047;

TEST(TimeWord, SecondsSince1970AreTakenAsTheyAre)
{
    EXPECT_EQ(ParseTimeWord("881327047"), kFifthTwoPast);
    EXPECT_EQ(ParseTimeWord("0"), 0u);
    EXPECT_EQ(ParseTimeWord("4294967295", DateAlone::EndOfDay), 4294967295u);
    EXPECT_FALSE(ParseTimeWord("4294967296"));
    EXPECT_FALSE(ParseTimeWord("99999999999999999999"));
}

TEST(TimeWord, LocalDateAndTimeOfDay)
{
    EXPECT_EQ(ParseTimeWord("1997-12-05 14:04:07"), kFifthTwoPast);
    EXPECT_EQ(ParseTimeWord("1997-12-05 14:04"), kFifthTwoPast - 7);
    EXPECT_EQ(ParseTimeWord("1997-12-5 14:4:7"), kFifthTwoPast);
    // A date alone is its first second, or its last where a window ends.
    EXPECT_EQ(ParseTimeWord("1997-12-05"), StartOfLocalDay(kFifthTwoPast));
    EXPECT_EQ(ParseTimeWord("1997-12-05", DateAlone::EndOfDay), EndOfLocalDay(kFifthTwoPast));
    // A time of day given with the date is the same either way.
    EXPECT_EQ(ParseTimeWord("1997-12-05 14:04:07", DateAlone::EndOfDay), kFifthTwoPast);
    EXPECT_EQ(ParseTimeWord("2000-02-29"), LocalTimeOf(2000, 2, 29));
    EXPECT_EQ(ParseTimeWord("1970-01-01 01:00"), 0u); // midnight UTC
}

TEST(TimeWord, RefusesWhatIsNoTimeInsteadOfRollingOver)
{
    for (const char* text :
         {"", " 881327047", "881327047 ", "+5", "-5", "5s", "1997-12-05 ", " 1997-12-05", "97-12-05",
          "1997-1205", "1997-12-05T14:04", "1997-12-0514:04", "1997-12-05  14:04", "1997-12-05 14",
          "1997-12-05 14:04:", "1997-12-05 14:04:07:00", "1997-12-005", "19970-12-05",
          // not on the calendar: these once rolled into the next month or day
          "1997-02-29", "2100-02-29", "1997-04-31", "1997-13-01", "1997-00-10", "1997-12-00",
          "1997-12-05 24:00", "1997-12-05 12:60", "1997-12-05 12:00:60",
          // before 1970 in UTC, after 2106
          "1969-12-31", "1970-01-01 00:30", "2106-02-08", "2107-01-01"})
        EXPECT_FALSE(ParseTimeWord(text)) << '"' << text << '"';
}

TEST(LocalTimes, ExactRefusesWhatLocalTimeOfNormalises)
{
    EXPECT_EQ(LocalTimeOf(1997, 12, 5, 14, 4, 7), kFifthTwoPast);
    EXPECT_EQ(ExactLocalTime(1997, 12, 5, 14, 4, 7), kFifthTwoPast);
    EXPECT_EQ(LocalTimeOf(1997, 12, 32), LocalTimeOf(1998, 1, 1));
    EXPECT_FALSE(ExactLocalTime(1997, 12, 32));
    EXPECT_EQ(LocalTimeOf(1960, 1, 1), 0u);
    EXPECT_FALSE(ExactLocalTime(1960, 1, 1));
    EXPECT_EQ(LocalTimeOf(2200, 1, 1), 0xFFFFFFFFu);
    EXPECT_FALSE(ExactLocalTime(2200, 1, 1));
}

} // namespace
} // namespace dm
