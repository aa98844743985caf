// The hardware settings file as the manager loads and saves it.

#include "manager/core/hardwaresettings.h"
#include "database/policyform.h"
#include "platform/files/profile.h"
#include "tests/manager/corefixture.h"

#include <filesystem>

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

TEST_F(HardwareSettingsTest, RuleMaskBitsSelectRulesAndOnlyChangedKeysAreWritten)
{
    Write("[Greetings]\r\nRuleMask=5\r\nRule0Text=\"  Welcome  \"\r\nRule1Text=Off\r\n");
    m_settings.Load();
    const GreetingRules shown = m_settings.Greetings();
    EXPECT_TRUE(shown.rules[0].active);
    EXPECT_FALSE(shown.rules[1].active);
    EXPECT_TRUE(shown.rules[2].active);
    EXPECT_EQ(shown.rules[0].text, "  Welcome  ");

    GreetingRules edited = shown;
    edited.rules[1].active = true;
    edited.rules[0].active = false;
    edited.rules[2].text = "Bye";
    ASSERT_TRUE(m_settings.SaveGreetingChanges(shown, edited));
    EXPECT_EQ(Value("Greetings", "RuleMask"), "6");
    EXPECT_NE(ReadFile(m_db / "Dialmind.hw").find("Rule2Text=\"Bye\""), std::string::npos);
    // Unchanged texts keep the form the file had.
    EXPECT_NE(ReadFile(m_db / "Dialmind.hw").find("Rule1Text=Off"), std::string::npos);
    EXPECT_EQ(m_settings.Greetings().RuleMask(), 6);
}

TEST_F(HardwareSettingsTest, TextsCountCharactersNotBytes)
{
    // 399 letters, each two bytes: the whole text, through a save and a reload.
    std::string text;
    for (int i = 0; i < 399; ++i)
        text += "\xC3\xBC";
    GreetingRules shown;
    GreetingRules edited;
    edited.rules[0].text = text;
    ASSERT_TRUE(m_settings.SaveGreetingChanges(shown, edited));
    HardwareSettings again;
    again.SetFile(HardwareFile());
    again.Load();
    EXPECT_EQ(again.Greetings().rules[0].text, text);

    // A longer text is cut at a letter, never inside one.
    Write("[General]\r\nNotify1=60\r\nNotify1Text=" + text + text + "\r\n");
    again.Load();
    const std::string& notice = again.Notifications().notices[0].text;
    EXPECT_EQ(CharacterCount(notice), kNoticeTextLimit);
    EXPECT_EQ(notice.size(), 2 * kNoticeTextLimit);
}

TEST_F(HardwareSettingsTest, StaticAddressAboveHalfRangeIsNegativeAndRoundTrips)
{
    const std::uint32_t address = (192u << 24) | (168u << 16) | 1u; // 192.168.0.1
    const PortSettings shown = m_settings.ReadPort("RAS1", "COM2");
    PortSettings edited = shown;
    edited.staticIP = address;
    ASSERT_TRUE(m_settings.SavePortChanges(shown, edited));
    EXPECT_EQ(Value("RAS1\\COM2", "StaticIP"), "-1062731775");
    // A new section gets only the key the page set.
    EXPECT_EQ(Value("RAS1\\COM2", "MaxSessionTime"), "<missing>");
    EXPECT_EQ(m_settings.ReadPort("RAS1", "COM2").staticIP, address);
}

TEST_F(HardwareSettingsTest, NoticeTurnedOffKeepsNoText)
{
    Write("[General]\r\nNotify1=120\r\nNotify1Text=\"Two minutes left\"\r\nNotify2=30\r\n"
          "Notify2Text=\"Thirty seconds\"\r\n");
    m_settings.Load();
    const NotificationSettings shown = m_settings.Notifications();
    EXPECT_EQ(shown.notices[1].text, "Thirty seconds");
    NotificationSettings edited = shown;
    edited.notices[1].seconds = 0;
    ASSERT_TRUE(m_settings.SaveNotificationChanges(shown, edited));
    EXPECT_EQ(Value("General", "Notify2"), "0");
    EXPECT_NE(ReadFile(m_db / "Dialmind.hw").find("Notify2Text=\"\""), std::string::npos);
    EXPECT_EQ(m_settings.Notifications().notices[0].text, "Two minutes left");
    EXPECT_EQ(m_settings.Notifications().notices[1].text, "");
}

TEST_F(HardwareSettingsTest, EditorsKeepWhatOtherWritersChanged)
{
    Write("[Default]\r\nMaxSessionTime=100\r\nPeriodMax=50\r\nAssignDefault=1\r\n"
          "[RAS1\\COM5]\r\nMaxSessionTime=500\r\n[RAS1\\COM6]\r\nMaxSessionTime=600\r\n"
          "[RAS1\\COM7]\r\nMaxSessionTime=700\r\nStaticIP=7\r\n");
    m_settings.Load();
    HardwareSettings other;
    other.SetFile(HardwareFile());
    other.Load();

    // This manager opens COM6 and COM7, the other changes COM5, COM7 and the
    // default profile meanwhile.
    const PortSettings com6 = m_settings.ReadPort("RAS1", "COM6");
    const PortSettings com7 = m_settings.ReadPort("RAS1", "COM7");
    const DefaultProfile profile = m_settings.Default();
    PortSettings otherCom5 = other.ReadPort("RAS1", "COM5");
    PortSettings otherCom7 = other.ReadPort("RAS1", "COM7");
    const PortSettings shown5 = otherCom5, shown7 = otherCom7;
    otherCom5.maxSessionTime = 555;
    otherCom7.staticIP = 77;
    ASSERT_TRUE(other.SavePortChanges(shown5, otherCom5));
    ASSERT_TRUE(other.SavePortChanges(shown7, otherCom7));
    DefaultProfile otherProfile = other.Default();
    otherProfile.periodMax = 99;
    ASSERT_TRUE(other.SaveDefaultChanges(other.Default(), otherProfile));

    PortSettings edited6 = com6;
    edited6.maxSessionTime = 666;
    ASSERT_TRUE(m_settings.SavePortChanges(com6, edited6));
    ASSERT_TRUE(m_settings.SavePortChanges(com7, com7)); // OK without a change
    DefaultProfile edited = profile;
    edited.assignDefault = false;
    ASSERT_TRUE(m_settings.SaveDefaultChanges(profile, edited));

    EXPECT_EQ(Value("RAS1\\COM5", "MaxSessionTime"), "555");
    EXPECT_EQ(Value("RAS1\\COM6", "MaxSessionTime"), "666");
    EXPECT_EQ(Value("RAS1\\COM7", "StaticIP"), "77");
    EXPECT_EQ(Value("Default", "PeriodMax"), "99");
    EXPECT_EQ(Value("Default", "AssignDefault"), "0");
    EXPECT_EQ(Value("Default", "MaxSessionTime"), "100");
    // The saves leave this manager's copies as the file holds them.
    EXPECT_EQ(m_settings.Default().periodMax, 99);
}

TEST_F(HardwareSettingsTest, RefreshReadsAFileAnotherWriterChanged)
{
    Write("[RAS1\\COM1]\r\nMaxSessionTime=1\r\n");
    m_settings.Load();
    EXPECT_FALSE(m_settings.Refresh());
    Write("[RAS1\\COM1]\r\nMaxSessionTime=1\r\n[RAS1\\COM2]\r\nMaxSessionTime=2\r\n");
    EXPECT_TRUE(m_settings.Refresh());
    ASSERT_EQ(m_settings.Ports().size(), 2u);
    EXPECT_EQ(m_settings.ReadPort("RAS1", "COM2").maxSessionTime, 2);
}

TEST_F(HardwareSettingsTest, LongAccessListsStayWholeThroughAnotherFieldsSave)
{
    std::string users;
    while (users.size() < 12000)
        users += "LQHQ\\Group" + std::to_string(users.size()) + ";";
    Write("[RAS1\\COM1]\r\nMaxSessionTime=0\r\nAllowedUser=\"" + users + "\"\r\n");
    const PortAccessLists lists = m_settings.ReadPortAccessLists("RAS1", "COM1");
    EXPECT_EQ(lists.allowedUsers, users);
    const PortSettings shown = m_settings.ReadPort("RAS1", "COM1");
    PortSettings edited = shown;
    edited.maxSessionTime = 60;
    ASSERT_TRUE(m_settings.SavePortChanges(shown, edited));
    EXPECT_EQ(Value("RAS1\\COM1", "AllowedUser"), users);

    PortAccessLists more = lists;
    more.allowedGroups = "RAS1\\Local\\;";
    ASSERT_TRUE(m_settings.SaveAccessListChanges("RAS1", "COM1", lists, more));
    EXPECT_EQ(Value("RAS1\\COM1", "AllowedUser"), users);
    EXPECT_EQ(Value("RAS1\\COM1", "AllowedGroup"), "RAS1\\Local\\;");
}

TEST_F(HardwareSettingsTest, AFailedSaveIsReported)
{
    // A directory where the file should be: nothing can be written.
    std::filesystem::create_directory(m_db / "Dialmind.hw");
    DefaultProfile edited;
    edited.maxSessionTime = 5;
    EXPECT_FALSE(m_settings.SaveDefaultChanges(DefaultProfile(), edited));
    HardwareSettings nowhere;
    EXPECT_FALSE(nowhere.SaveDefaultChanges(DefaultProfile(), edited));
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
