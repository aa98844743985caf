// The limits form's check and its reading of what the rows show, as the
// three limits pages and `dmctl policy set` share them.

#include "database/limitsform.h"

#include <gtest/gtest.h>

using namespace dm;

namespace {

TEST(LimitsFormCheck, TakesWholeNumbersUpToTheLargestAndRefusesTheRestByName)
{
    EXPECT_EQ(CheckLimitText(LimitSession, "").value, 0) << "an empty field is no limit";
    EXPECT_EQ(CheckLimitText(LimitSession, "  45 ").value, 45);
    EXPECT_EQ(CheckLimitText(LimitTotal, "0120").value, 120);
    EXPECT_EQ(CheckLimitText(LimitPeriod, "2147483647").value, 2147483647);
    // Values that the old pages wrapped: 4294967396 seconds became 100,
    // 4294967297 days became 1.
    for (const char* text : {"2147483648", "4294967396", "4294967297", "99999999999999999999999", "12a", "-5",
                             "+5", "1.5", "1 000"}) {
        SCOPED_TRACE(text);
        for (LimitField field : {LimitSession, LimitTotal, LimitExpiry, LimitPeriod}) {
            const LimitCheck check = CheckLimitText(field, text);
            EXPECT_FALSE(check.value);
            EXPECT_EQ(check.message, LimitRefusal(field));
        }
    }
    EXPECT_EQ(LimitRefusal(LimitSession), "The maximum session time must be a number of seconds from 0 to 2147483647.");
    EXPECT_EQ(LimitRefusal(LimitTotal), "The maximum total time must be a number of seconds from 0 to 2147483647.");
    EXPECT_EQ(LimitRefusal(LimitExpiry), "The expiry must be a number of days from 0 to 2147483647.");
    EXPECT_EQ(LimitRefusal(LimitPeriod), "The period limit must be a number of seconds from 0 to 2147483647.");
}

TEST(LimitsFormCheck, FieldsAreFoundByTheirKeysButCountersAndTheTypeAreNoFields)
{
    EXPECT_EQ(LimitFieldByKey("MaxSessionTime"), LimitSession);
    EXPECT_EQ(LimitFieldByKey("maxtotaltime"), LimitTotal);
    EXPECT_EQ(LimitFieldByKey("EXPIRYTIME"), LimitExpiry);
    EXPECT_EQ(LimitFieldByKey("PeriodMax"), LimitPeriod);
    EXPECT_EQ(LimitFieldByKey("PeriodType"), std::nullopt);
    EXPECT_EQ(LimitFieldByKey("TotalTime"), std::nullopt);
    EXPECT_EQ(LimitFieldByKey("MaxSessionTim"), std::nullopt);
}

FormLimits FormOf(std::int32_t session, std::int32_t total, std::int32_t expiry, std::int32_t period,
                  std::int32_t type)
{
    FormLimits limits;
    limits.values = {session, total, expiry, period};
    limits.periodType = type;
    return limits;
}

TEST(LimitsFormReading, AnUntouchedFormGivesBackWhatItShowedEvenValuesItCannotShow)
{
    // A negative limit and a period type beyond the choice: the server
    // component applies neither, and a form nobody touched keeps them.
    const FormLimits odd = FormOf(-100, 3600, 0, 500, 7);
    const LimitsEntry shown = ShowLimits(odd);
    EXPECT_TRUE(shown.on[LimitSession]);
    EXPECT_EQ(shown.text[LimitSession], "-100");
    EXPECT_FALSE(shown.on[LimitExpiry]);
    EXPECT_EQ(shown.text[LimitExpiry], "");
    EXPECT_FALSE(shown.on[LimitPeriod]) << "type 7 is no period limit";
    const LimitsReading reading = ReadLimits(shown, odd);
    ASSERT_TRUE(reading.ok);
    EXPECT_EQ(reading.limits, odd);
    EXPECT_TRUE(reading.changedKeys.empty());

    const FormLimits week = FormOf(0, 0, 0, 72000, 2);
    EXPECT_TRUE(ShowLimits(week).on[LimitPeriod]);
    EXPECT_EQ(ShowLimits(week).periodChoice, 1);
    EXPECT_EQ(ShowLimits(week).text[LimitPeriod], "72000");
}

TEST(LimitsFormReading, ChangedRowsAreCheckedAndReportTheirKeys)
{
    const FormLimits before = FormOf(7200, 0, 0, 72000, 2);
    LimitsEntry entry = ShowLimits(before);
    entry.on[LimitSession] = false;   // off: 0, whatever the field holds
    entry.on[LimitExpiry] = true;
    entry.text[LimitExpiry] = "30";
    entry.periodChoice = 2;          // same amount, a month
    LimitsReading reading = ReadLimits(entry, before);
    ASSERT_TRUE(reading.ok);
    EXPECT_EQ(reading.limits, FormOf(0, 0, 30, 72000, 3));
    EXPECT_EQ(reading.changedKeys, (std::vector<std::string>{"MaxSessionTime", "ExpiryTime", "PeriodType"}));

    // A period limit of 0 (or none typed) has no type.
    entry.text[LimitPeriod] = "";
    reading = ReadLimits(entry, before);
    ASSERT_TRUE(reading.ok);
    EXPECT_EQ(reading.limits[LimitPeriod], 0);
    EXPECT_EQ(reading.limits.periodType, 0);

    // The first refused row in row order refuses all; nothing comes back.
    entry.text[LimitExpiry] = "4294967297";
    entry.on[LimitTotal] = true;
    entry.text[LimitTotal] = "4294967396";
    reading = ReadLimits(entry, before);
    EXPECT_FALSE(reading.ok);
    EXPECT_EQ(reading.refused, LimitTotal);
    EXPECT_EQ(reading.message, LimitRefusal(LimitTotal));
    EXPECT_TRUE(reading.changedKeys.empty());

    // A refused text in a row that is off is not looked at.
    entry.on[LimitTotal] = false;
    entry.on[LimitExpiry] = false;
    EXPECT_TRUE(ReadLimits(entry, before).ok);
}

TEST(LimitsFormReading, RecordsAndTheDefaultProfileRoundTrip)
{
    UserRecord record;
    record.totalTime = 5000;
    SetFormLimits(record, FormOf(1, 2, 3, 4, 1));
    EXPECT_EQ(record.maxSessionTime, 1);
    EXPECT_EQ(record.maxTotalTime, 2);
    EXPECT_EQ(record.expiryTime, 3);
    EXPECT_EQ(record.periodMax, 4);
    EXPECT_EQ(record.periodType, 1);
    EXPECT_EQ(record.totalTime, 5000) << "counters are no part of the form";
    EXPECT_EQ(FormLimitsOf(record), FormOf(1, 2, 3, 4, 1));
    DefaultProfile profile;
    profile.assignDefault = true;
    SetFormLimits(profile, FormOf(10, 20, 30, 40, 3));
    EXPECT_EQ(FormLimitsOf(profile), FormOf(10, 20, 30, 40, 3));
    EXPECT_TRUE(profile.assignDefault);
}

} // namespace
