#include "common/numbers.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

TEST(CheckedNumbers, TakeWholeDecimalsWithinTheirType)
{
    EXPECT_EQ(ParseUInt32("0"), 0u);
    EXPECT_EQ(ParseUInt32("4294967295"), 4294967295u);
    EXPECT_EQ(ParseInt32("-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseInt32("2147483647"), INT32_MAX);
    EXPECT_EQ(ParseUInt32("007"), 7u);
    EXPECT_EQ(ParseInt64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(ParseUInt64("18446744073709551615"), UINT64_MAX);
}

TEST(CheckedNumbers, RefuseWhatDoesNotFitInsteadOfWrapping)
{
    // 2^32 + 100 once became 100 seconds through atoi's wrap.
    EXPECT_FALSE(ParseUInt32("4294967396"));
    EXPECT_FALSE(ParseUInt32("4294967296"));
    EXPECT_FALSE(ParseInt32("2147483648"));
    EXPECT_FALSE(ParseInt32("-2147483649"));
    EXPECT_FALSE(ParseUInt64("18446744073709551616"));
}

TEST(CheckedNumbers, RefuseSignsBlanksAndOtherCharacters)
{
    for (const char* text : {"", "-", "+5", " 5", "5 ", "5s", "0x10", "1e3", "1.0", "--1"})
        EXPECT_FALSE(ParseInt32(text)) << '"' << text << '"';
    EXPECT_FALSE(ParseUInt32("-1"));
    EXPECT_FALSE(ParseUInt32("-0"));
}

} // namespace
} // namespace dm
