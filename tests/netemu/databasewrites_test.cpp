// A database that refuses writes for a while (its file system between two
// machines, a lock file that cannot be opened) loses none of the server
// component's records: they stay in memory and the next flush writes them.

#include "netemu/activitywriter.h"
#include "netemu/database.h"
#include "netemu/logformat.h"
#include "platform/files/profile.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace dm;
using namespace dm::netemu;

namespace {

constexpr std::uint32_t kMonday = 1772438400; // Monday, 2 March 2026, 09:00 in Berlin

TEST(DatabaseWritesTest, LogRecordsAFlushCouldNotWriteAreWrittenByTheNext)
{
    dm::test::TempDir dir;
    dm::test::WriteFile(dir / "LogData", "a file where the directory belongs");
    ActivityWriter writer(dir.str(), false);
    LogEvent connect;
    connect.user = "DOM\\joe";
    writer.Add("RAS1", "COM1", kMonday, connect);
    writer.AddPortSample("RAS1", kMonday, 1);
    EXPECT_FALSE(writer.Flush());
    EXPECT_EQ(writer.Pending(), 1u) << "the day file's record kept, the port sample written";

    fs::remove(dir / "LogData");
    ASSERT_TRUE(writer.Flush());
    EXPECT_EQ(writer.Pending(), 0u);
    EXPECT_EQ(GetPrivateProfileString("RAS1\\COM1", std::to_string(kMonday), "", DayFileName(dir.str(), kMonday)),
              "C_DOM\\joe");
    EXPECT_EQ(GetPrivateProfileString("RAS1", std::to_string(kMonday), "", (dir / "portstat.log").string()), "1");
}

TEST(DatabaseWritesTest, CountersAFlushCouldNotWriteSurviveAManagersSaveMeanwhile)
{
    dm::test::TempDir dir;
    const std::string usr = (dir / "Dialmind.usr").string();
    dm::test::WriteFile(usr, "[DOM\\joe]\r\nTotalConnects=4\r\nMaxSessionTime=600\r\n");
    Database db(dir.str());
    db.Load();
    UserRecord* joe = db.Users().FindAccount("DOM\\joe");
    ASSERT_NE(joe, nullptr);
    joe->totalConnects = 5;
    db.MarkUsage(*joe);

    // The lock file cannot be opened: no write goes through.
    fs::create_directory(dir / ".dialmind.usr.lock");
    EXPECT_FALSE(db.FlushUsage());
    // A manager saves a limit meanwhile (its own write, past the broken lock).
    dm::test::WriteFile(usr, "[DOM\\joe]\r\nTotalConnects=4\r\nMaxSessionTime=900\r\n");
    const Database::Changes changes = db.ReloadChanged();
    EXPECT_FALSE(changes.users) << "a re-read would have dropped the unwritten counter";
    EXPECT_EQ(db.Users().FindAccount("DOM\\joe")->totalConnects, 5);

    fs::remove(dir / ".dialmind.usr.lock");
    EXPECT_TRUE(db.ReloadChanged().users) << "the counter written, the file is read again";
    EXPECT_EQ(GetPrivateProfileString("DOM\\joe", "TotalConnects", "", usr), "5");
    EXPECT_EQ(GetPrivateProfileString("DOM\\joe", "MaxSessionTime", "", usr), "900") << "the manager's save stays";
    EXPECT_EQ(db.Users().FindAccount("DOM\\joe")->maxSessionTime, 900);
}

} // namespace
