// The hardware settings file as the manager loads and saves it.

#include "manager/core/hardwaresettings.h"
#include "platform/files/profile.h"
#include "tests/manager/corefixture.h"

using namespace dm;
using dm::test::ReadFile;
using dm::test::WriteFile;

namespace {

class HardwareSettingsTest : public dm::test::CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        m_settings.SetFile(HardwareFile());
    }
    void Write(const std::string& contents) { WriteFile(m_db / "Dialmind.hw", contents); }
    std::string Value(const std::string& section, const std::string& key)
    {
        return GetPrivateProfileString(section, key, "<missing>", HardwareFile());
    }
    HardwareSettings m_settings;
};

TEST_F(HardwareSettingsTest, ReservedSectionsAreNotPortsButOtherCaseIs)
{
    Write("[General]\r\nNotify1=60\r\n[Default]\r\nMaxTotalTime=5\r\n[Greetings]\r\nRuleMask=0\r\n"
          "[Loggers]\r\nX=1\r\n");
    m_settings.Load();
    EXPECT_TRUE(m_settings.Ports().empty());

    Write("[general]\r\nMaxSessionTime=7\r\n[RAS1\\COM1]\r\nMaxSessionTime=3600\r\n[LONELY]\r\n");
    std::vector<std::string> progress;
    m_settings.Load([&](const std::string& text) { progress.push_back(text); });
    ASSERT_EQ(m_settings.Ports().size(), 3u);
    EXPECT_EQ(m_settings.Ports()[0].serverName, "general");
    EXPECT_EQ(m_settings.Ports()[0].portName, "");
    EXPECT_EQ(m_settings.Ports()[0].maxSessionTime, 7);
    EXPECT_EQ(m_settings.Ports()[1].serverName, "RAS1");
    EXPECT_EQ(m_settings.Ports()[1].portName, "COM1");
    EXPECT_EQ(m_settings.Ports()[1].maxSessionTime, 3600);
    EXPECT_EQ(m_settings.Ports()[2].portName, "");
    const std::vector<std::string> expected = {
        "Loading settings for general, please wait...",
        "Loading settings for RAS1\\COM1, please wait...",
        "Loading settings for LONELY, please wait...", "Ready"};
    EXPECT_EQ(progress, expected);
}

TEST_F(HardwareSettingsTest, MissingFileReadsAsEmptyAndDefaultsOff)
{
    m_settings.Ports().push_back({"X", "Y", 1, 2});
    m_settings.Greetings().SetRuleMask(7);
    m_settings.Default().assignDefault = true;
    m_settings.Load();
    EXPECT_TRUE(m_settings.Ports().empty());
    EXPECT_EQ(m_settings.Greetings().RuleMask(), 0);
    EXPECT_FALSE(m_settings.Default().assignDefault);
    EXPECT_EQ(m_settings.Default().maxTotalTime, 0);
}

TEST_F(HardwareSettingsTest, RuleMaskBitsSelectRulesAndRoundTrip)
{
    Write("[Greetings]\r\nRuleMask=5\r\nRule0Text=\"  Welcome  \"\r\nRule1Text=Off\r\n");
    m_settings.Load();
    const GreetingRules& rules = m_settings.Greetings();
    EXPECT_TRUE(rules.rules[0].active);
    EXPECT_FALSE(rules.rules[1].active);
    EXPECT_TRUE(rules.rules[2].active);
    EXPECT_EQ(rules.rules[0].text, "  Welcome  ");
    EXPECT_EQ(rules.rules[2].text, "");

    ASSERT_TRUE(m_settings.Save());
    EXPECT_EQ(Value("Greetings", "RuleMask"), "5");
    EXPECT_EQ(Value("Greetings", "Rule0Text"), "  Welcome  ");
    EXPECT_NE(ReadFile(m_db / "Dialmind.hw").find("Rule0Text=\"  Welcome  \""), std::string::npos);

    m_settings.Greetings().rules[1].active = true;
    m_settings.Greetings().rules[0].active = false;
    m_settings.Save();
    EXPECT_EQ(Value("Greetings", "RuleMask"), "6");
}

TEST_F(HardwareSettingsTest, RuleTextsKeepTheirVisibleLimit)
{
    Write("[Greetings]\r\nRule1Text=" + std::string(450, 'x') + "\r\n");
    m_settings.Load();
    EXPECT_EQ(m_settings.Greetings().rules[1].text.size(), 399u);
}

TEST_F(HardwareSettingsTest, StaticAddressAboveHalfRangeIsNegativeAndRoundTrips)
{
    const std::uint32_t address = (192u << 24) | (168u << 16) | 1u; // 192.168.0.1
    m_settings.AddPortSettings("RAS1", "COM2");
    m_settings.Ports()[0].staticIP = address;
    ASSERT_TRUE(m_settings.Save());
    EXPECT_EQ(Value("RAS1\\COM2", "StaticIP"), "-1062731775");

    HardwareSettings again;
    again.SetFile(HardwareFile());
    again.Load();
    ASSERT_EQ(again.Ports().size(), 1u);
    EXPECT_EQ(again.Ports()[0].staticIP, address);
}

TEST_F(HardwareSettingsTest, NoticeTurnedOffKeepsNoText)
{
    Write("[General]\r\nNotify1=120\r\nNotify1Text=\"Two minutes left\"\r\nNotify2=30\r\n"
          "Notify2Text=\"Thirty seconds\"\r\n");
    m_settings.LoadNotificationSettings();
    EXPECT_EQ(m_settings.Notifications().notices[1].text, "Thirty seconds");
    m_settings.Notifications().notices[1].seconds = 0;
    ASSERT_TRUE(m_settings.SaveNotificationSettings());
    EXPECT_EQ(Value("General", "Notify2"), "0");
    EXPECT_EQ(Value("General", "Notify2Text"), "");
    EXPECT_NE(ReadFile(m_db / "Dialmind.hw").find("Notify2Text=\"\""), std::string::npos);

    m_settings.LoadNotificationSettings();
    EXPECT_EQ(m_settings.Notifications().notices[0].seconds, 120);
    EXPECT_EQ(m_settings.Notifications().notices[0].text, "Two minutes left");
    EXPECT_EQ(m_settings.Notifications().notices[1].seconds, 0);
    EXPECT_EQ(m_settings.Notifications().notices[1].text, "");
}

TEST_F(HardwareSettingsTest, ReAddedPortRewritesNumbersAndKeepsAccessLists)
{
    Write("[RAS1\\COM1]\r\nMaxSessionTime=900\r\nStaticIP=5\r\nAllowedUser=\"DOM\\joe;\"\r\n"
          "AllowedGroup=\"DOM\\Sales;\"\r\n");
    // The table no longer holds the port (as after it was dropped).
    const int index = m_settings.AddPortSettings("RAS1", "COM1");
    EXPECT_EQ(index, 0);
    EXPECT_EQ(Value("RAS1\\COM1", "MaxSessionTime"), "0");
    EXPECT_EQ(Value("RAS1\\COM1", "StaticIP"), "0");
    ASSERT_TRUE(m_settings.LoadPortAccessLists("RAS1", "COM1"));
    EXPECT_EQ(m_settings.AccessLists().allowedUsers, "DOM\\joe;");
    EXPECT_EQ(m_settings.AccessLists().allowedGroups, "DOM\\Sales;");
}

TEST_F(HardwareSettingsTest, AccessListsAreWrittenQuotedAndOnlyThere)
{
    m_settings.AddPortSettings("RAS1", "COM1");
    m_settings.AccessLists().allowedUsers = "DOM\\ann;DOM\\bob;";
    m_settings.AccessLists().allowedGroups = "RAS1\\Local\\;";
    ASSERT_TRUE(m_settings.SavePortAccessLists("RAS1", "COM3"));
    EXPECT_EQ(Value("RAS1\\COM3", "AllowedUser"), "DOM\\ann;DOM\\bob;");
    EXPECT_EQ(Value("RAS1\\COM3", "AllowedGroup"), "RAS1\\Local\\;");
    EXPECT_EQ(Value("RAS1\\COM1", "AllowedUser"), "<missing>");
    // A port whose section has no lists reads empty lists.
    m_settings.LoadPortAccessLists("RAS9", "COM1");
    EXPECT_EQ(m_settings.AccessLists().allowedUsers, "");
}

TEST_F(HardwareSettingsTest, DefaultProfileWritesAllSevenKeys)
{
    DefaultProfile& profile = m_settings.Default();
    profile.maxSessionTime = 3600;
    profile.maxTotalTime = 36000;
    profile.expiryTime = 30;
    profile.periodMax = 7200;
    profile.periodType = 2;
    profile.noDuplicate = true;
    profile.assignDefault = false;
    ASSERT_TRUE(m_settings.SaveDefaultProfile());
    const std::vector<std::string> keys = GetPrivateProfileKeyNames("Default", HardwareFile());
    const std::vector<std::string> expected = {"MaxSessionTime", "MaxTotalTime", "ExpiryTime", "PeriodMax",
                                               "PeriodType", "NoDuplicate", "AssignDefault"};
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(Value("Default", "AssignDefault"), "0");
    EXPECT_EQ(Value("Default", "NoDuplicate"), "1");

    HardwareSettings again;
    again.SetFile(HardwareFile());
    again.Load();
    EXPECT_EQ(again.Default().periodType, 2);
    EXPECT_EQ(again.Default().expiryTime, 30);
    EXPECT_TRUE(again.Default().noDuplicate);
    // A save never removes a port section that is no longer in the table.
    EXPECT_TRUE(again.Ports().empty());
}

TEST_F(HardwareSettingsTest, NonNumericValuesReadAsZero)
{
    Write("[RAS1\\COM1]\r\nMaxSessionTime=abc\r\nStaticIP=12x\r\n");
    m_settings.Load();
    ASSERT_EQ(m_settings.Ports().size(), 1u);
    EXPECT_EQ(m_settings.Ports()[0].maxSessionTime, 0);
    EXPECT_EQ(m_settings.Ports()[0].staticIP, 12u);
}

TEST_F(HardwareSettingsTest, MorePortsThanTheOldTableAreLoaded)
{
    ProfileBatch batch(HardwareFile());
    for (int i = 0; i < 600; ++i)
        batch.Write("RAS" + std::to_string(i / 256) + "\\COM" + std::to_string(i), "MaxSessionTime", "1");
    ASSERT_TRUE(batch.Commit());
    m_settings.Load();
    EXPECT_EQ(m_settings.Ports().size(), 600u);
}

} // namespace
