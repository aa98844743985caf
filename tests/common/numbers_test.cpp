#include "common/numbers.h"

#include <gtest/gtest.h>

#include <climits>

namespace dm {
namespace {

TEST(AtoiRules, ReadWhatTheFilesHoldWithoutError)
{
    EXPECT_EQ(AtoiValue("  -42abc"), -42);
    EXPECT_EQ(AtoiValue("\t\n+7"), 7);
    EXPECT_EQ(AtoiValue(""), 0);
    EXPECT_EQ(AtoiValue("x12"), 0);
    EXPECT_EQ(AtoiValue("- 5"), 0);
    EXPECT_EQ(AtoiValue("99999999999999999999"), INT_MAX);
    EXPECT_EQ(AtoiValue("-99999999999999999999"), INT_MIN);
    EXPECT_EQ(AtoiValue("-2147483648"), INT_MIN);
}

TEST(AtoiRules, ThirtyTwoBitsReadSignedOrUnsigned)
{
    // A packed address with a first octet of 192 is stored signed.
    EXPECT_EQ(AtoiWrapped32("-1062731775"), 3232235521u);
    EXPECT_EQ(AtoiWrapped32("3232235521"), 3232235521u);
    EXPECT_EQ(AtoiWrapped32("4294967296"), 0u);
    EXPECT_EQ(AtoiWrapped32(" 12x"), 12u);
    EXPECT_EQ(AtoiInt32("3232235521"), -1062731775);
    EXPECT_EQ(AtoiInt32("4294967295"), -1);
    EXPECT_EQ(AtoiInt32("-1"), -1);
    EXPECT_EQ(AtoiInt32("junk"), 0);
    // Digits beyond any integer type still wrap, modulo 2^32.
    EXPECT_EQ(AtoiWrapped32("100000000000000000000000000000000000000000005"), 5u);
}

TEST(AtoiRules, PlainDigitsOfEveryLengthReadAsTheFullRulesReadThem)
{
    // The digits of a log's times and durations take a short path; at and
    // around its limit of eighteen digits the value must not change.
    EXPECT_EQ(AtoiValue("2147483647"), INT_MAX);
    EXPECT_EQ(AtoiValue("2147483648"), INT_MAX);
    EXPECT_EQ(AtoiValue("999999999999999999"), INT_MAX);
    EXPECT_EQ(AtoiValue("0000000000000000000000000012"), 12);
    EXPECT_EQ(AtoiWrapped32("1700000000=H"), 1700000000u);
    EXPECT_EQ(AtoiWrapped32("000000000000000001"), 1u);
    EXPECT_EQ(AtoiWrapped32("4294967297"), 1u);
    EXPECT_EQ(AtoiWrapped32("18446744073709551617"), 1u);  // 2^64 + 1, twenty digits
    EXPECT_EQ(AtoiWrapped32("999999999999999999"), 2808348671u); // eighteen nines
    EXPECT_EQ(AtoiWrapped32("9999999999999999999"), 2313682943u); // nineteen
    EXPECT_EQ(AtoiValue("7?"), 7);
    // Eight bytes read at once only when all eight are digits.
    EXPECT_EQ(AtoiValue("12345678"), 12345678);
    EXPECT_EQ(AtoiValue("1234567:9"), 1234567);
    EXPECT_EQ(AtoiValue("1234/678"), 1234);
    EXPECT_EQ(AtoiValue("9\xff" "345678"), 9);
    EXPECT_EQ(AtoiValue("123456789?1"), 123456789);
    EXPECT_EQ(AtoiWrapped32("0987654321"), 987654321u);
    EXPECT_EQ(AtoiValue("0"), 0);
}

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

TEST(CheckedNumbers, TakeHexadecimalAfterItsPrefix)
{
    EXPECT_EQ(ParseUInt32DecimalOrHex("0x3FF"), 0x3FFu);
    EXPECT_EQ(ParseUInt32DecimalOrHex("0XffffFFFF"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseUInt32DecimalOrHex("255"), 255u);
    // A leading zero is decimal, never octal: "010" is ten.
    EXPECT_EQ(ParseUInt32DecimalOrHex("010"), 10u);
    EXPECT_EQ(ParseUInt32DecimalOrHex("0xFF", 255), 255u);
    EXPECT_FALSE(ParseUInt32DecimalOrHex("0x100", 255));
    EXPECT_FALSE(ParseUInt32DecimalOrHex("256", 255));
    for (const char* text : {"0x", "0x100000000", "0x-1", "0xg", "x10", "-0x1", " 0x1", "0x 1", "-1", "1e3"})
        EXPECT_FALSE(ParseUInt32DecimalOrHex(text)) << '"' << text << '"';
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
