#include "common/activitylog.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "common/timeformat.h"
#include "tests/support/recordinginteraction.h"
#include "tests/support/tempdir.h"

using namespace dm;
using dm::test::RecordingInteraction;
using dm::test::TempDir;
using dm::test::WriteFile;

namespace {

// The tests run with TZ=Europe/Berlin and LC_ALL=C.
constexpr std::uint32_t kDec05Noon = 881319600; // 1997-12-05 12:00 local
constexpr std::uint32_t kDay = 86400;

std::filesystem::path Slashes(std::string_view systemPath)
{
    std::string path(systemPath);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

class ActivityLogTest : public ::testing::Test {
protected:
    ActivityLogTest() : m_log(Slashes)
    {
        std::filesystem::create_directory(m_dir / "LogData");
        m_log.SetDatabaseDirectory(m_dir.str());
        m_log.SetUserInteraction(&m_ui);
        m_log.SetProgressSink([this](const std::string& text) { m_ui.ShowProgress(text); });
        m_log.SetClock([] { return kDec05Noon; });
    }

    // Writes the day file of `day` with the given text.
    void Day(std::uint32_t day, const std::string& text)
    {
        WriteFile(Slashes(DayLogPath(m_dir.str(), day)), text);
    }
    // A day file with one connect at `time` on SRV\COM1 by `user`.
    void OneConnect(std::uint32_t time, const std::string& user)
    {
        Day(time, "[SRV\\COM1]\r\n" + FormatLogKey(time) + "=" + FormatConnectValue(user) + "\r\n");
    }
    std::vector<std::string> Users() const
    {
        std::vector<std::string> users;
        for (const auto& r : m_log.Records())
            users.push_back(r.user);
        return users;
    }

    TempDir m_dir;
    RecordingInteraction m_ui;
    ActivityLog m_log;
};

using Texts = std::vector<std::string>;

} // namespace

TEST_F(ActivityLogTest, DayFileRecordsAreSortedStablyWithEveryField)
{
    const std::uint32_t t = kDec05Noon;
    Day(t, "[SRV1\\COM2]\r\n" + std::to_string(t + 60) + "=H3600_DOM\\joe?-1062731775?2:IPX:NB\r\n" +
               std::to_string(t) + "=C_DOM\\second\r\n"
               "*junk=C_x\r\n"
               "[SRV1\\COM1]\r\n" +
               std::to_string(t) + "=N_DOM\\third?5\r\n" + std::to_string(t + 1) + "=*deleted\r\n" +
               std::to_string(t - 5) + "=C_DOM\\first\r\n");
    ASSERT_TRUE(m_log.LoadScope(1, t));
    // "*junk" reads as time 0 and sorts first.
    EXPECT_EQ(Users(), (Texts{"x", "DOM\\first", "DOM\\second", "DOM\\third", "DOM\\joe"}));
    const LogRecord& end = m_log.Records().back();
    EXPECT_EQ(end.server, "SRV1");
    EXPECT_EQ(end.port, "COM2");
    EXPECT_EQ(end.time, t + 60);
    EXPECT_EQ(end.ip, 0xC0A80001u);
    EXPECT_EQ(end.reason, 2);
    EXPECT_EQ(end.ipx, "IPX");
    EXPECT_EQ(m_log.Records()[3].reason, 5);
    EXPECT_TRUE(m_log.IsLoaded());
    EXPECT_EQ(m_log.FirstRecordTime(), 0u);
    EXPECT_EQ(m_log.TodayStart(), 881276400u);
    EXPECT_EQ(m_log.TodayEnd(), 881362799u);
    EXPECT_EQ(m_ui.m_waitDepth, 0);
    EXPECT_EQ(m_ui.m_waitCursors, 1);
    EXPECT_EQ(m_ui.m_progress,
              (Texts{"Processing logs from SRV1\\COM2, please wait...",
                     "Processing logs from SRV1\\COM1, please wait...", "Ready"}));
}

TEST_F(ActivityLogTest, EventsOfTwoPortsInTheSameSecondAreBothKept)
{
    const std::string key = std::to_string(kDec05Noon);
    Day(kDec05Noon, "[S\\A]\r\n" + key + "=C_a\r\n[S\\B]\r\n" + key + "=C_b\r\n[S\\A]\r\n" + key +
                        "=C_again\r\n");
    ASSERT_TRUE(m_log.LoadScope(1, kDec05Noon));
    EXPECT_EQ(Users(), (Texts{"a", "b", "again"}));
}

TEST_F(ActivityLogTest, ScopesReadOneSevenAndThirtyDaysFromTheHistoryDate)
{
    for (int i = -1; i <= 31; ++i)
        OneConnect(kDec05Noon + static_cast<std::uint32_t>(i) * kDay, "d" + std::to_string(i));
    ASSERT_TRUE(m_log.LoadScope(1, kDec05Noon));
    EXPECT_EQ(Users(), (Texts{"d0"}));
    ASSERT_TRUE(m_log.LoadScope(2, kDec05Noon + 3600));
    EXPECT_EQ(Users(), (Texts{"d0", "d1", "d2", "d3", "d4", "d5", "d6"}));
    ASSERT_TRUE(m_log.LoadScope(3, kDec05Noon));
    EXPECT_EQ(m_log.Count(), 30u);
    EXPECT_EQ(m_log.Records().back().user, "d29");
    // Unknown scopes count as one day.
    for (int scope : {0, 5, -3}) {
        ASSERT_TRUE(m_log.LoadScope(scope, kDec05Noon));
        EXPECT_EQ(Users(), (Texts{"d0"})) << scope;
    }
    EXPECT_EQ(ActivityLog::NormalizeBrowseScope(7), 1);
    EXPECT_EQ(ActivityLog::NormalizeBrowseScope(4), 4);
}

TEST_F(ActivityLogTest, MissingFilesContributeNothingButStillLoad)
{
    ASSERT_TRUE(m_log.LoadScope(2, kDec05Noon));
    EXPECT_EQ(m_log.Count(), 0u);
    EXPECT_TRUE(m_log.IsLoaded());
    EXPECT_EQ(m_ui.m_progress, (Texts{"Ready"}));
}

TEST_F(ActivityLogTest, ScopeAllReadsEveryLogFileAndFailsOnAnEmptyDirectory)
{
    EXPECT_FALSE(m_log.LoadScope(4, kDec05Noon));
    EXPECT_FALSE(m_log.IsLoaded());
    EXPECT_EQ(m_ui.m_waitDepth, 0);

    OneConnect(kDec05Noon, "a");
    OneConnect(kDec05Noon - 400 * kDay, "old");
    WriteFile(m_dir / "LogData" / "EXTRA.LOG", "[S\\P]\r\n1=C_upper\r\n");
    WriteFile(m_dir / "LogData" / "notes.txt", "[S\\P]\r\n2=C_not-a-log\r\n");
    std::filesystem::create_directory(m_dir / "LogData" / "dir.log");
    ASSERT_TRUE(m_log.LoadScope(4, kDec05Noon));
    EXPECT_EQ(Users(), (Texts{"upper", "old", "a"}));

    // A failed load leaves the table empty.
    for (const auto& entry : std::filesystem::directory_iterator(m_dir / "LogData"))
        std::filesystem::remove_all(entry.path());
    EXPECT_FALSE(m_log.LoadScope(4, kDec05Noon));
    EXPECT_EQ(m_log.Count(), 0u);
}

TEST_F(ActivityLogTest, RangeOfOneDayReadsExactlyThatDay)
{
    OneConnect(kDec05Noon - kDay, "before");
    OneConnect(kDec05Noon, "that day");
    OneConnect(kDec05Noon + kDay, "after");
    ASSERT_TRUE(m_log.LoadRange(881276400 + 60, 881362799)); // 00:01 to 23:59:59
    EXPECT_EQ(Users(), (Texts{"that day"}));
    // A range that ends before it starts reads its first day.
    ASSERT_TRUE(m_log.LoadRange(kDec05Noon, kDec05Noon - 2 * kDay));
    EXPECT_EQ(Users(), (Texts{"that day"}));
    ASSERT_TRUE(m_log.LoadRange(kDec05Noon - kDay, kDec05Noon + kDay));
    EXPECT_EQ(Users(), (Texts{"before", "that day", "after"}));
}

TEST_F(ActivityLogTest, RangeAcrossTheStartOfSummerTimeReadsEveryDayOnce)
{
    // 1997-03-30 has 23 hours; adding 86,400 s to 23:30 on the 29th skips it.
    OneConnect(859633200, "29th");
    OneConnect(859716000, "30th");
    OneConnect(859802400, "31st");
    ASSERT_TRUE(m_log.LoadRange(859674600, 859761000));
    EXPECT_EQ(Users(), (Texts{"29th", "30th", "31st"}));
    ASSERT_TRUE(m_log.LoadScope(2, 859674600));
    EXPECT_EQ(Users(), (Texts{"29th", "30th", "31st"}));
}

TEST_F(ActivityLogTest, RangeAtTheEndOfTimeTerminates)
{
    ASSERT_TRUE(m_log.LoadRange(0xFFFF0000u, 0xFFFFFFFFu));
    EXPECT_EQ(m_log.Count(), 0u);
}

TEST_F(ActivityLogTest, LegacyFileUsesTheOldRulesAndShowsNoProgress)
{
    WriteFile(m_dir / "Dialmind.log", "[SRV\\COM1]\r\n20=H60_DOM\\ann?-1062731775?2:IPX:NB\r\n"
                                      "10=N_DOM\\bob?4\r\n[SRV\\COM2]\r\n15=C_DOM\\cy\r\n");
    ASSERT_TRUE(m_log.LoadLegacy());
    EXPECT_EQ(Users(), (Texts{"DOM\\bob", "DOM\\cy", "DOM\\ann"}));
    const LogRecord& end = m_log.Records()[2];
    EXPECT_EQ(end.duration, 60);
    EXPECT_EQ(end.ip, 0xC0A80001u);
    EXPECT_EQ(end.reason, kLogNoReason);
    EXPECT_TRUE(end.ipx.empty());
    EXPECT_EQ(m_log.Records()[0].reason, kLogNoReason);
    EXPECT_EQ(m_log.FirstRecordTime(), 10u);
    EXPECT_TRUE(m_ui.m_progress.empty());
}

TEST_F(ActivityLogTest, BadFilesNeverCrashTheLoader)
{
    std::string garbage = "[S\\P]\r\n";
    for (int i = 0; i < 5000; ++i)
        garbage += static_cast<char>((i * 31) % 256);
    garbage += "\n[\n=\n==H\n1=H\n2=N\n3=N?\n4=H_?\n5=H?:\n" + std::string(1 << 20, 'H');
    Day(kDec05Noon, garbage);
    ASSERT_TRUE(m_log.LoadScope(1, kDec05Noon));
    EXPECT_GE(m_log.Count(), 5u);
    // A directory in place of a day file is skipped.
    std::filesystem::create_directories(Slashes(DayLogPath(m_dir.str(), kDec05Noon + kDay)));
    ASSERT_TRUE(m_log.LoadScope(2, kDec05Noon));
}

TEST(SortRecordsByTimeTest, MatchesAStableSortOnManyTies)
{
    std::vector<LogRecord> records(5000);
    std::uint32_t seed = 12345;
    for (std::size_t i = 0; i < records.size(); ++i) {
        seed = seed * 1103515245u + 12345u;
        records[i].time = (seed >> 16) % 300; // many equal times
        records[i].user = std::to_string(i);
    }
    std::vector<LogRecord> expected = records;
    std::stable_sort(expected.begin(), expected.end(),
                     [](const LogRecord& a, const LogRecord& b) { return a.time < b.time; });
    SortRecordsByTime(records);
    EXPECT_EQ(records, expected);
}

TEST_F(ActivityLogTest, RecordsOfDifferentFilesShareTheTextsTheyNameAlike)
{
    // Two days name the same server, port and account; one spells the
    // account in capitals and one event has no account at all.
    const std::uint32_t t = kDec05Noon;
    Day(t, "[SRV\\COM1]\r\n" + std::to_string(t) + "=H60_DOM\\joe?0?0:NET.NODE:JOEPC\r\n");
    Day(t + kDay, "[SRV\\COM1]\r\n" + std::to_string(t + kDay) + "=C_DOM\\joe\r\n" +
                      std::to_string(t + kDay + 1) + "=C_DOM\\JOE\r\n" + std::to_string(t + kDay + 2) + "=C\r\n");
    ASSERT_TRUE(m_log.LoadScope(2, t));
    const std::vector<LogRecord>& r = m_log.Records();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].server.data(), r[1].server.data());
    EXPECT_EQ(r[0].port.data(), r[1].port.data());
    EXPECT_EQ(r[0].user.data(), r[1].user.data());
    EXPECT_EQ(r[0].user, r[1].user);
    // Another spelling keeps its own text: the history shows what the file says.
    EXPECT_NE(r[1].user, r[2].user);
    EXPECT_EQ(r[2].user, "DOM\\JOE");
    EXPECT_TRUE(r[3].user.empty());
    EXPECT_EQ(r[3].user, "");
    EXPECT_EQ(r[0].ipx, "NET.NODE");
    EXPECT_EQ(r[0].netbios, "JOEPC");
    // A record built in code names the same copies as a loaded one.
    LogRecord built;
    built.server = std::string("SRV");
    built.user = std::string_view("DOM\\joe");
    EXPECT_EQ(built.server.data(), r[0].server.data());
    EXPECT_EQ(built.user, r[0].user);
    // Loading again, or another scope, changes none of the texts.
    const std::string before = r[0].user;
    ASSERT_TRUE(m_log.LoadScope(1, t + kDay));
    EXPECT_EQ(m_log.Records().front().user, "DOM\\joe");
    EXPECT_EQ(before, "DOM\\joe");
}

TEST_F(ActivityLogTest, TheTableIsSizedFromTheFilesInsteadOfGrowingByHalves)
{
    // Thirty days of like files: room for what they hold and little more.
    std::string text = "[SRV\\COM1]\r\n";
    for (int i = 0; i < 200; ++i)
        text += std::to_string(kDec05Noon + i) + "=" + FormatSessionEndValue(i, "DOM\\u" + std::to_string(i % 7), 1, 0, "", "") + "\r\n";
    for (int d = 0; d < 30; ++d)
        Day(kDec05Noon + static_cast<std::uint32_t>(d) * kDay, text);
    ASSERT_TRUE(m_log.LoadScope(3, kDec05Noon));
    ASSERT_EQ(m_log.Count(), 6000u);
    EXPECT_LE(m_log.Records().capacity(), 6000u * 105 / 100);
    // A missing day among them changes nothing but the count.
    std::filesystem::remove(Slashes(DayLogPath(m_dir.str(), kDec05Noon + 3 * kDay)));
    ASSERT_TRUE(m_log.LoadScope(3, kDec05Noon));
    EXPECT_EQ(m_log.Count(), 5800u);
}
