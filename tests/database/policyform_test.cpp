// The editors' one way of checking and saving policy values.

#include "database/policyform.h"
#include "platform/files/profile.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

using namespace dm;

namespace {

TEST(PolicyFormTest, ValuesThatTheirKeyCannotHoldAreRefusedWithTheFieldAndTheLargestValue)
{
    // Ten digits: 4294967396 once became 100 s, 4294967297 days an account locked out.
    EXPECT_EQ(CheckPolicyValue(PolicyEditor::User, "MaxSessionTime", "4294967396"),
              "The maximum session time must be a number of seconds from 0 to 2147483647.");
    EXPECT_EQ(CheckPolicyValue(PolicyEditor::Default, "ExpiryTime", "4294967297"),
              "The expiry must be a number of days from 0 to 2147483647.");
    EXPECT_TRUE(CheckPolicyValue(PolicyEditor::Group, "PeriodMax", "-1"));
    EXPECT_TRUE(CheckPolicyValue(PolicyEditor::Port, "MaxSessionTime", "12x"));
    EXPECT_FALSE(CheckPolicyValue(PolicyEditor::Port, "MaxSessionTime", "2147483647"));
    EXPECT_FALSE(CheckPolicyValue(PolicyEditor::User, "periodtype", "3")) << "names compare without case";
    EXPECT_TRUE(CheckPolicyValue(PolicyEditor::User, "PeriodType", "4"));
    EXPECT_EQ(CheckPolicyValue(PolicyEditor::Greetings, "RuleMask", "8"),
              "The active rules must be a number of rule bits from 0 to 7.");
    EXPECT_EQ(CheckPolicyValue(PolicyEditor::Notifications, "Notify2", "2147483648"),
              "The second notice must be a number of seconds from 0 to 2147483647.");

    EXPECT_FALSE(CheckPolicyValue(PolicyEditor::Port, "StaticIP", "192.168.0.1"));
    for (const char* bad : {"256.1.1.1", "1.2.3", "1.2.3.4.5", "1..2.3", "a.b.c.d", "1.2.3.4 "})
        EXPECT_TRUE(CheckPolicyValue(PolicyEditor::Port, "StaticIP", bad)) << bad;

    // Counters and names the editor does not show.
    for (const char* counter : {"TotalTime", "PeriodStamp", "TotalDenieds", "Lasted", "FirstConnection"})
        EXPECT_TRUE(CheckPolicyValue(PolicyEditor::User, counter, "0")) << counter;
    EXPECT_TRUE(CheckPolicyValue(PolicyEditor::Default, "StaticIP", "1.2.3.4"));
    EXPECT_TRUE(CheckPolicyValue(PolicyEditor::Port, "AllowedUser", "DOM\\a;\nX=1"));
}

TEST(PolicyFormTest, TextsCountCharactersNotBytes)
{
    std::string umlauts;
    for (std::size_t i = 0; i < kGreetingTextLimit; ++i)
        umlauts += "\xC3\xBC";
    EXPECT_EQ(CharacterCount(umlauts), kGreetingTextLimit);
    EXPECT_FALSE(CheckPolicyValue(PolicyEditor::Greetings, "Rule0Text", umlauts));
    EXPECT_TRUE(CheckPolicyValue(PolicyEditor::Greetings, "Rule0Text", umlauts + "a"));
    // Cut at a letter: "ä€" cut to one letter keeps "ä" whole.
    EXPECT_EQ(CutToCharacters("\xC3\xA4\xE2\x82\xAC", 1), "\xC3\xA4");
    EXPECT_EQ(CutToCharacters("abc", 5), "abc");
}

TEST(PolicyFormTest, OnlyChangedKeysAreWrittenAndCountersOnlyAsAReset)
{
    dm::test::TempDir dir;
    const std::string file = (dir / "Dialmind.usr").string();
    ASSERT_TRUE(WritePrivateProfileString("DOM\\ann", "TotalTime", "500", file));

    UserRecord shown;
    shown.accountKey = "DOM\\ann";
    shown.totalTime = 100;
    shown.totalConnects = 4;
    shown.lasted = 9;
    UserRecord edited = shown;
    edited.maxSessionTime = 60;
    edited.totalConnects = 0; // a reset
    edited.lasted = 0;        // never written
    edited.staticIP = 0xC0A80001;
    ProfileBatch batch(file);
    EXPECT_EQ(WritePolicyChanges(batch, PolicyEditor::User, "DOM\\ann", PolicyValuesOf(shown),
                                 PolicyValuesOf(edited)),
              3u);
    ASSERT_TRUE(batch.Commit());
    EXPECT_EQ(GetPrivateProfileString("DOM\\ann", "TotalTime", "", file), "500");
    EXPECT_EQ(GetPrivateProfileString("DOM\\ann", "TotalConnects", "", file), "0");
    EXPECT_EQ(GetPrivateProfileString("DOM\\ann", "StaticIP", "", file), "-1062731775");
    EXPECT_EQ(GetPrivateProfileString("DOM\\ann", "Lasted", "<none>", file), "<none>");
}

} // namespace
