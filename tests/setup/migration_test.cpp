// The conversion of an old single log into day files.

#include "common/timeformat.h"
#include "setup/logmigration.h"
#include "common/logrecord.h"
#include "tests/setup/setupfixture.h"

#include <ctime>

using namespace dm;
using dm::test::ReadFile;
using dm::test::SetupFixture;
using dm::test::WriteFile;

namespace {

struct RecordedProgress : MigrationProgress {
    void SetStatus(const std::string& text) override { m_status.push_back(text); }
    void SetPosition(int percent) override { m_positions.push_back(percent); }
    std::vector<std::string> m_status;
    std::vector<int> m_positions;
};

// Calendar time of a local date and time (TZ=Europe/Berlin in the tests).
class MigrationTest : public SetupFixture {
protected:
    void SetUp() override
    {
        SetupFixture::SetUp();
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
        std::filesystem::create_directories(m_db);
        WritePrivateProfileString("Shares", "DM_NT_DB", m_db.string(),
                                  (Network::ComputerDir("TESTHOST").value() / "shares.ini").string());
    }
    std::string Legacy() const { return (m_db / "Dialmind.log").string(); }
    std::string Day(const char* name) const { return (m_db / "LogData" / name).string(); }

    // Three days of records over two ports, one just after local midnight.
    void WriteThreeDays()
    {
        m_records = {
            {"CENTRAL\\COM1", LocalTimeOf(1997, 12, 4, 23, 59, 59), "C_DOM\\joe"},
            {"CENTRAL\\COM1", LocalTimeOf(1997, 12, 5, 0, 0, 1),
             "H3600_DOM\\joe?3232235521?2:0000000A.00C0A8000001:JOEPC"},
            {"CENTRAL\\COM2", LocalTimeOf(1997, 12, 5, 12, 0, 0), "N_DOM\\ann?4"},
            {"CENTRAL\\COM2", LocalTimeOf(1997, 12, 6, 8, 30, 0), "C_DOM\\ann"},
            {"BRANCH\\ISDN1", LocalTimeOf(1997, 12, 6, 9, 0, 0), "H120_DOM\\bob?0"},
        };
        ProfileBatch batch(Legacy());
        for (const auto& r : m_records)
            batch.Write(r.section, std::to_string(r.time), r.value);
        ASSERT_TRUE(batch.Commit());
    }

    struct Record {
        std::string section;
        std::uint32_t time;
        std::string value;
    };
    std::vector<Record> m_records;
    std::filesystem::path m_db = m_root / "network" / "db"; // a share inside the network
    const std::string m_share = "\\\\TESTHOST\\DM_NT_DB";
    RecordedProgress m_progress;
};

} // namespace

TEST_F(MigrationTest, ThreeDaysBecomeThreeDayFiles)
{
    WriteThreeDays();
    ASSERT_TRUE(LogMigration::HasLegacyLog(m_share));
    LogMigration migration(m_share, m_ui, m_progress);
    ASSERT_TRUE(migration.Run());
    EXPECT_TRUE(m_ui.m_messages.empty());
    EXPECT_EQ(migration.RecordsCopied(), 5u);

    EXPECT_EQ(DayLogPath("X", LocalTimeOf(1997, 12, 5, 0, 0, 1)), "X\\LogData\\1997-Dec-05.log");
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(m_db / "LogData"))
        if (entry.path().extension() == ".log" && entry.path().filename().string()[0] != '.')
            files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"1997-Dec-04.log", "1997-Dec-05.log", "1997-Dec-06.log"}));

    // Every record under its own section and key, in the file of its local day;
    // the one a second after midnight belongs to the new day.
    const char* dayOf[] = {"1997-Dec-04.log", "1997-Dec-05.log", "1997-Dec-05.log",
                           "1997-Dec-06.log", "1997-Dec-06.log"};
    for (std::size_t i = 0; i < m_records.size(); ++i) {
        const auto& r = m_records[i];
        EXPECT_EQ(GetPrivateProfileString(r.section, std::to_string(r.time), "", Day(dayOf[i])), r.value)
            << r.section << " " << r.time;
    }
    EXPECT_EQ(GetPrivateProfileSectionNames(Day("1997-Dec-04.log")),
              std::vector<std::string>{"CENTRAL\\COM1"});
    EXPECT_EQ(GetPrivateProfileSectionNames(Day("1997-Dec-06.log")),
              (std::vector<std::string>{"CENTRAL\\COM2", "BRANCH\\ISDN1"}));

    EXPECT_FALSE(std::filesystem::exists(m_db / "Dialmind.log"));
    EXPECT_TRUE(std::filesystem::exists(m_db / "dialmind.migrated"));
    EXPECT_FALSE(LogMigration::HasLegacyLog(m_share));
}

TEST_F(MigrationTest, StatusCountsBeforeTheRecordAndReachesAllBytes)
{
    WriteThreeDays();
    LogMigration migration(m_share, m_ui, m_progress);
    ASSERT_TRUE(migration.Run());
    ASSERT_EQ(m_progress.m_status.size(), 5u);
    EXPECT_EQ(m_progress.m_status.front().rfind("Processed ", 0), 0u);
    EXPECT_NE(m_progress.m_status.front().find("% (0 records)"), std::string::npos);
    EXPECT_NE(m_progress.m_status.back().find("% (4 records)"), std::string::npos);
    // Percentages grow and stay within the bar.
    EXPECT_TRUE(std::is_sorted(m_progress.m_positions.begin(), m_progress.m_positions.end()));
    EXPECT_GT(m_progress.m_positions.back(), 50);
    EXPECT_LE(m_progress.m_positions.back(), 100);
}

TEST_F(MigrationTest, ExistingMigratedFileIsReplacedAndDayFilesExtended)
{
    WriteThreeDays();
    WriteFile(m_db / "dialmind.migrated", "an older conversion");
    std::filesystem::create_directories(m_db / "LogData");
    // The server component already wrote a record for the 6th.
    const std::string eveTime = std::to_string(LocalTimeOf(1997, 12, 6, 10, 0, 0));
    WritePrivateProfileString("CENTRAL\\COM9", eveTime, "C_DOM\\eve", Day("1997-Dec-06.log"));
    const std::string legacy = ReadFile(m_db / "Dialmind.log");

    LogMigration migration(m_share, m_ui, m_progress);
    ASSERT_TRUE(migration.Run());
    EXPECT_EQ(ReadFile(m_db / "dialmind.migrated"), legacy);
    EXPECT_EQ(GetPrivateProfileString("CENTRAL\\COM9", eveTime, "", Day("1997-Dec-06.log")),
              "C_DOM\\eve");
    EXPECT_EQ(GetPrivateProfileSectionNames(Day("1997-Dec-06.log")).size(), 3u);
}

TEST_F(MigrationTest, EmptyValuesAreSkippedAndAStarEndsTheSection)
{
    WriteFile(m_db / "Dialmind.log",
              "[S\\P1]\r\n881280000=C_DOM\\a\r\n881280001=\r\n881280002=*\r\n881280003=C_DOM\\b\r\n"
              "[S\\P2]\r\n881280004=C_DOM\\c\r\n");
    LogMigration migration(m_share, m_ui, m_progress);
    ASSERT_TRUE(migration.Run());
    EXPECT_EQ(migration.RecordsCopied(), 2u);
    const std::string day = ResolvePathOrEmpty(DayLogPath(m_share, 881280000)).string();
    EXPECT_EQ(GetPrivateProfileKeyNames("S\\P1", day), std::vector<std::string>{"881280000"});
    EXPECT_EQ(GetPrivateProfileString("S\\P2", "881280004", "", day), "C_DOM\\c");
}

TEST_F(MigrationTest, MissingSourceIsAnErrorAtStepOne)
{
    EXPECT_FALSE(LogMigration::HasLegacyLog(m_share));
    LogMigration migration(m_share, m_ui, m_progress);
    EXPECT_FALSE(migration.Run());
    ASSERT_EQ(m_ui.m_messages.size(), 2u);
    EXPECT_EQ(m_ui.m_messages[0].text,
              "An error occured at step 1 (2).\n\nThe source directory was in error.");
    EXPECT_EQ(m_ui.m_messages[0].icon, Icon::Error);
    EXPECT_EQ(m_ui.m_messages[1].icon, Icon::Information);

    // An unreachable master share fails the same way, with the network's number.
    m_ui.m_messages.clear();
    LogMigration remote("\\\\NOWHERE\\DM_NT_DB", m_ui, m_progress);
    EXPECT_FALSE(remote.Run());
    EXPECT_EQ(m_ui.m_messages[0].text,
              "An error occured at step 1 (53).\n\nThe source directory was in error.");
}

TEST_F(MigrationTest, UncreatableTargetKeepsTheSourceForTheNextRun)
{
    WriteThreeDays();
    WriteFile(m_db / "LogData", "a file where the directory should be");
    LogMigration migration(m_share, m_ui, m_progress);
    EXPECT_FALSE(migration.Run());
    ASSERT_FALSE(m_ui.m_messages.empty());
    EXPECT_EQ(m_ui.m_messages[0].text.rfind("An error occured at step 2 (", 0), 0u);
    EXPECT_NE(m_ui.m_messages[0].text.find("The target directory could not be created."),
              std::string::npos);
    EXPECT_TRUE(LogMigration::HasLegacyLog(m_share));
    EXPECT_FALSE(std::filesystem::exists(m_db / "dialmind.migrated"));
}
