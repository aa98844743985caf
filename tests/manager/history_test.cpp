// The history list without windows: texts, order, filters, saved text,
// the scope bar's texts and reload timer, and deleting records.

#include "common/inistore.h"
#include "common/timeformat.h"
#include "manager/core/historycolumns.h"
#include "manager/core/historydelete.h"
#include "manager/core/historyscope.h"
#include "manager/core/historysort.h"
#include "manager/core/historytable.h"
#include "manager/core/historytexts.h"
#include "tests/manager/corefixture.h"
#include "tests/support/recordinginteraction.h"
#include "tests/support/tempdir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <fstream>
#include <random>

using namespace dm;

namespace {

constexpr std::uint32_t kDec05Noon = 881319600; // 1997-12-05 12:00 in TZ=Europe/Berlin

LogRecord Record(std::string server, std::string port, std::string user, std::uint32_t time, int kind,
                 int reason = kLogNoReason, std::int32_t duration = 0, std::uint32_t ip = 0)
{
    LogRecord r;
    r.server = std::move(server);
    r.port = std::move(port);
    r.user = std::move(user);
    r.time = time;
    r.kind = kind;
    r.reason = reason;
    r.duration = duration;
    r.ip = ip;
    return r;
}

std::string Text(const LogRecord& r, HistoryColumn c, bool seconds = false)
{
    return HistoryCellText(r, c, seconds);
}

} // namespace

TEST(HistoryTexts, ActionInformationIconIpAndLastedFollowTheRecordKind)
{
    const auto hangUp = Record("S", "COM1", "D\\u", kDec05Noon, kLogSessionEnd, 0, 3725, 0);
    const auto hangUpNoReason = Record("S", "COM1", "D\\u", kDec05Noon, kLogSessionEnd, 255, 10);
    const auto cut = Record("S", "COM1", "D\\u", kDec05Noon, kLogSessionEnd, 1, 60, 0xC0A80001u);
    const auto idle = Record("S", "COM1", "D\\u", kDec05Noon, kLogDenied, 9);
    const auto unknownDenial = Record("S", "COM1", "D\\u", kDec05Noon, kLogDenied, 7);
    const auto connect = Record("S", "COM1", "D\\u", kDec05Noon, kLogConnect, 3, 99, 0xC0A80001u);

    EXPECT_EQ(Text(hangUp, HistoryColumn::Action), "Hang Up");
    EXPECT_EQ(HistoryIconOf(hangUp), kHistoryIconHangUp);
    EXPECT_EQ(Text(hangUpNoReason, HistoryColumn::Action), "Hang Up");
    EXPECT_EQ(Text(cut, HistoryColumn::Action), "Disconnected");
    EXPECT_EQ(Text(cut, HistoryColumn::Information), "Port Max Time Reached");
    EXPECT_EQ(HistoryIconOf(cut), kHistoryIconDisconnected);
    EXPECT_EQ(Text(idle, HistoryColumn::Information), "Idle Timeout");
    EXPECT_EQ(HistoryIconOf(idle), kHistoryIconDenied);
    EXPECT_EQ(Text(unknownDenial, HistoryColumn::Information), "");
    EXPECT_EQ(HistoryIconOf(connect), kHistoryIconConnect);

    EXPECT_EQ(Text(hangUp, HistoryColumn::Lasted), "01:02:05");
    EXPECT_EQ(Text(hangUp, HistoryColumn::Lasted, true), "3725");
    EXPECT_EQ(Text(hangUp, HistoryColumn::Ip), "");
    EXPECT_EQ(Text(cut, HistoryColumn::Ip), "192.168.0.1");
    // Connect and denied records show neither address nor length, whatever they hold.
    EXPECT_EQ(Text(connect, HistoryColumn::Ip), "");
    EXPECT_EQ(Text(connect, HistoryColumn::Lasted), "");
    EXPECT_EQ(Text(connect, HistoryColumn::Information), "");
    EXPECT_EQ(Text(connect, HistoryColumn::Time), "12/05/97 12:00:00");
}

TEST(HistoryTexts, LengthsAndAddressesReadAsPrintfFormedThem)
{
    // Formed by hand for speed; they must read exactly as printf's forms.
    char expected[64];
    for (const std::int32_t seconds : {0, 5, 59, 60, 3599, 3600, 3725, 86399, 360000, 35999999, -1, -59,
                                       -61, -3725, INT32_MAX, INT32_MIN}) {
        std::snprintf(expected, sizeof expected, "%.2d:%.2d:%.2d", seconds / 3600, (seconds / 60) % 60,
                      seconds % 60);
        EXPECT_EQ(FormatLasted(seconds, false), expected) << seconds;
        std::snprintf(expected, sizeof expected, "%d", seconds);
        EXPECT_EQ(FormatLasted(seconds, true), expected) << seconds;
    }
    for (const std::uint32_t ip : {0u, 1u, 0x0A000001u, 0xC0A80001u, 0xFFFFFFFFu, 0x01020304u, 0x640A6309u}) {
        std::snprintf(expected, sizeof expected, "%u.%u.%u.%u", ip >> 24, (ip >> 16) & 0xFF, (ip >> 8) & 0xFF,
                      ip & 0xFF);
        EXPECT_EQ(FormatIpAddress(ip), expected) << ip;
    }
}

TEST(HistoryColumns, MaskGivesTimeFirstAndTheThreeHeaderForms)
{
    const auto columns = HistoryColumnsOf(0x240); // IP and lasted; time is implied
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[0], HistoryColumn::Time);
    EXPECT_EQ(columns[1], HistoryColumn::Ip);
    EXPECT_EQ(columns[2], HistoryColumn::Lasted);
    EXPECT_EQ(HistoryListHeader(HistoryColumn::Lasted, true), "Lasted (secs)");
    EXPECT_EQ(HistoryListHeader(HistoryColumn::Lasted, false), "Lasted (hh:mm:ss)");
    EXPECT_EQ(HistoryPrintHeader(HistoryColumn::User), "User Account");
    EXPECT_EQ(HistoryCsvHeader(0x3FF), "Time/Date,Server,Port,Action,Information,User,IP,NetBIOS,IPX,Lasted");
    EXPECT_EQ(HistoryCsvHeader(0xFC00), "Time/Date");
    EXPECT_EQ(HistoryColumnByName("netbios"), HistoryColumn::NetBios);
    EXPECT_FALSE(HistoryColumnByName("Time"));
}

TEST(HistorySort, PortsByTrailingNumberTextsAscendingNumbersDescending)
{
    EXPECT_EQ(PortTrailingNumber("COM10"), 10u);
    EXPECT_FALSE(PortTrailingNumber("7"));       // too short
    EXPECT_EQ(PortTrailingNumber("12"), 2u);     // the first character never counts
    EXPECT_FALSE(PortTrailingNumber("ISDN"));

    const auto com2 = Record("S", "COM2", "", 1, 1);
    const auto com10 = Record("S", "COM10", "", 2, 1);
    const auto lptA = Record("S", "LPTA", "", 3, 1);
    const auto lptB = Record("S", "LPTB", "", 4, 1);
    EXPECT_LT(CompareLogRecords(com2, com10, HistoryColumn::Port, 1), 0);
    EXPECT_GT(CompareLogRecords(com2, com10, HistoryColumn::Port, -1), 0);
    EXPECT_LT(CompareLogRecords(lptA, lptB, HistoryColumn::Port, 1), 0);
    // Time with d = +1: the later first.
    EXPECT_GT(CompareLogRecords(com2, com10, HistoryColumn::Time, 1), 0);
    EXPECT_EQ(CompareLogRecords(com2, com2, HistoryColumn::Time, 1), 0);
    // Texts compare byte-wise, so upper case comes before lower case.
    EXPECT_LT(CompareLogRecords(Record("Z", "", "", 0, 1), Record("a", "", "", 0, 1), HistoryColumn::Server, 1), 0);
    // The action type is signed, the reason unsigned.
    auto negative = Record("S", "", "", 0, -1);
    EXPECT_GT(CompareLogRecords(negative, com2, HistoryColumn::Action, 1), 0);
    auto bigReason = Record("S", "", "", 0, 0, -1);
    EXPECT_LT(CompareLogRecords(bigReason, Record("S", "", "", 0, 0, 5), HistoryColumn::Information, 1), 0);
}

TEST(HistorySort, FastSortAgreesWithTheComparisonOnEveryColumn)
{
    std::mt19937 random(7);
    const char* ports[] = {"COM1", "COM2", "COM10", "ISDN2", "VPN", "LPT", "X", "COM02", "A1"};
    const char* users[] = {"D\\anna", "D\\Bob", "E\\anna", "", "D\\zed"};
    std::vector<LogRecord> records;
    for (int i = 0; i < 400; ++i) {
        auto r = Record(i % 3 ? "EAST" : "West", ports[random() % 9], users[random() % 5],
                        static_cast<std::uint32_t>(random() % 50) * 1000000u, static_cast<int>(random() % 3),
                        static_cast<int>(random() % 12) - 1, static_cast<int>(random() % 5) - 1,
                        static_cast<std::uint32_t>(random() % 4) << 30);
        r.netbios = "PC" + std::to_string(random() % 4);
        records.push_back(r);
    }
    for (HistoryColumn column : kHistoryColumnOrder) {
        for (int d : {1, -1}) {
            std::vector<std::uint32_t> rows;
            for (std::uint32_t i = 0; i < records.size(); i += 2)
                rows.push_back(i);
            std::vector<std::uint32_t> expected = rows;
            // The reference: the comparison, ties with the later record first.
            std::stable_sort(expected.begin(), expected.end(), [&](std::uint32_t a, std::uint32_t b) {
                const int c = CompareLogRecords(records[a], records[b], column, d);
                return c != 0 ? c < 0 : a > b;
            });
            SortHistoryRows(rows, records, column, d);
            EXPECT_EQ(rows, expected) << HistoryColumnName(column) << " d=" << d;
        }
    }
}

TEST(HistorySort, RefillKeepsTheLastClickAndTheNextClickReverses)
{
    int shared = 1;
    HistorySortState state(shared);
    EXPECT_EQ(state.RefillDirection(), 1);
    EXPECT_EQ(state.Click(2), 1);
    EXPECT_EQ(state.Column(), 2);
    EXPECT_EQ(state.RefillDirection(), 1);
    EXPECT_EQ(state.RefillDirection(), 1); // a second refill too
    EXPECT_EQ(state.Click(2), -1);
    EXPECT_EQ(state.RefillDirection(), -1);
    // Another list flipping the shared direction does not disturb this one's refill.
    shared = -shared;
    EXPECT_EQ(state.RefillDirection(), -1);
    state.Reset();
    EXPECT_EQ(state.Column(), 0);
    EXPECT_EQ(state.RefillDirection(), shared);
}

TEST(HistoryFilter, SelectionFiltersIgnoreCaseAndGroupsMatchTheUserNameOnly)
{
    const std::vector<LogRecord> records = {
        Record("EAST", "COM1", "ACME\\anna", 1, 1), Record("east", "COM2", "acme\\Bob", 2, 1),
        Record("WEST", "COM1", "OTHER\\anna", 3, 1), Record("WEST", "COM1", "carl", 4, 1)};
    auto shown = [&](const HistoryFilter& filter) {
        HistoryTable table;
        table.Fill(records, filter);
        std::vector<std::uint32_t> rows = table.Rows();
        std::sort(rows.begin(), rows.end());
        return rows;
    };
    HistoryFilter server;
    server.server = "East";
    EXPECT_EQ(shown(server), (std::vector<std::uint32_t>{0, 1}));
    HistoryFilter user;
    user.user = "ANNA";
    EXPECT_EQ(shown(user), (std::vector<std::uint32_t>{0, 2}));
    HistoryFilter domain;
    domain.domain = "acme";
    EXPECT_EQ(shown(domain), (std::vector<std::uint32_t>{0, 1}));
    HistoryFilter group;
    group.SetGroupMembers({"Anna", "carl"});
    EXPECT_EQ(shown(group), (std::vector<std::uint32_t>{0, 2, 3}));
    HistoryFilter emptyGroup;
    emptyGroup.SetGroupMembers({});
    EXPECT_TRUE(shown(emptyGroup).empty());
    EXPECT_EQ(shown(HistoryFilter{}).size(), 4u);
}

class HistoryNetworkTest : public test::CoreFixture {};

TEST_F(HistoryNetworkTest, UnreachableDomainControllerIsReportedAndShowsNothing)
{
    test::RecordingInteraction ui;
    Selection selection;
    selection.domain = "NOWHERE";
    selection.group = "Staff";
    const HistoryFilter filter = HistoryFilter::FromSelection(selection, ui);
    ASSERT_EQ(ui.m_messages.size(), 1u);
    EXPECT_EQ(ui.m_messages[0].text.rfind("Error getting PDC (", 0), 0u);
    EXPECT_FALSE(filter.Matches(Record("S", "P", "NOWHERE\\anna", 1, 1)));
}

TEST(HistoryTable, SavedTextHasTheMaskHeaderAndEveryFieldFollowedByAComma)
{
    std::vector<LogRecord> records = {Record("EAST", "COM1", "ACME\\anna", kDec05Noon, kLogConnect),
                                      Record("EAST", "COM1", "ACME\\anna", kDec05Noon + 65, kLogSessionEnd, 2, 65,
                                             0x0A000001u)};
    records[1].netbios = std::string(400, 'N');
    HistoryTable table;
    table.SetColumns(0x2 | 0x8 | 0x10 | 0x40 | 0x80 | 0x200, true);
    table.Fill(records, HistoryFilter{});
    table.Sort(0, 1);
    const std::string saved = table.SavedText();
    EXPECT_EQ(saved, "Time/Date,Server,Action,Information,IP,NetBIOS,Lasted\n"
                     "12/05/97 12:01:05,EAST,Disconnected,User Max Session Time Reached,10.0.0.1," +
                         std::string(300, 'N') +
                         ",65,\n"
                         "12/05/97 12:00:00,EAST,Connect, , , , ,\n");
    // The selected rows only, in the order given.
    EXPECT_EQ(table.SavedText({1}), "Time/Date,Server,Action,Information,IP,NetBIOS,Lasted\n"
                                    "12/05/97 12:00:00,EAST,Connect, , , , ,\n");
    // Rows whose records went away (a failed reload) show nothing, and do not crash.
    records.clear();
    EXPECT_EQ(table.CellText(0, 0), "");
}

TEST(HistoryTable, SavedTextMatchesTheRowTextsCutAndJoined)
{
    // The saved text is formed cell by cell without the row texts; it must
    // read exactly as the row texts cut to kMaxSavedCell and joined.
    std::mt19937 random(7);
    std::vector<LogRecord> records;
    for (int i = 0; i < 300; ++i) {
        LogRecord r = Record("S" + std::to_string(random() % 3), "COM" + std::to_string(random() % 9),
                             "D\\u" + std::to_string(random() % 5), kDec05Noon - 86400 + 997u * static_cast<unsigned>(i),
                             static_cast<int>(random() % 3), static_cast<int>(random() % 11),
                             static_cast<std::int32_t>(random() % 100000) - 50, random() % 2 ? 0u : random());
        if (i % 7 == 0)
            r.netbios = std::string(299 + i % 3, 'n') + "\xE9"; // a Windows code page letter at the cut
        if (i % 11 == 0)
            r.ipx = std::string(150, '\xFC') + std::string(200, 'x');
        records.push_back(std::move(r));
    }
    for (const bool seconds : {false, true}) {
        HistoryTable table;
        table.SetColumns(kHistoryAllColumns, seconds);
        table.Fill(records, HistoryFilter{});
        table.Sort(2, -1);
        std::string expected = HistoryCsvHeader(kHistoryAllColumns) + "\n";
        for (int row = 0; row < table.RowCount(); ++row) {
            CsvFields fields = table.RowTexts(row);
            for (int column = 0; column < table.ColumnCount(); ++column) {
                std::string scratch = "left over";
                const std::string_view view =
                    HistoryCellView(*table.Record(row), table.Columns()[static_cast<std::size_t>(column)], seconds,
                                    scratch);
                ASSERT_EQ(view, fields[static_cast<std::size_t>(column)]) << row << ' ' << column;
            }
            for (std::string& field : fields)
                field.resize(CutCsvField(field, HistoryTable::kMaxSavedCell).size());
            AppendCsvLine(expected, fields);
        }
        EXPECT_EQ(table.SavedText(), expected);
    }
}

TEST(HistoryScope, TextsByScopeType)
{
    const std::uint32_t today = kDec05Noon;
    EXPECT_EQ(HistoryScopeText(1, today + 3600, today), "Records of Today");
    EXPECT_EQ(HistoryScopeText(1, today - 86400, today), "Records of 12/04/97");
    EXPECT_EQ(HistoryScopeText(2, today, today), "Records from 12/05/97 to 12/11/97");
    EXPECT_EQ(HistoryScopeText(3, today, today), "Records from 12/05/97 to 01/03/98");
    EXPECT_EQ(HistoryScopeText(4, today, today), "All Records available are displayed");
    EXPECT_EQ(HistoryRecordCountText(12), "12 records");
    EXPECT_FALSE(HistoryScopeSteps(4));
    // Back from 00:30 on the day after summer time began reaches the day before, not two.
    const std::uint32_t march31 = 1206916200; // 2008-03-31 00:30 CEST
    EXPECT_EQ(FormatDayLogDate(StepHistoryDate(march31, -1)), "2008-Mar-30");
}

TEST(HistoryScope, QuickStepsCollapseIntoOneReload)
{
    ScopeReloadTimer timer;
    EXPECT_FALSE(timer.Tick(100)); // the first value seen
    EXPECT_FALSE(timer.Tick(100));
    // Three clicks between ticks, then one more tick apart.
    EXPECT_FALSE(timer.Tick(90));
    EXPECT_FALSE(timer.Tick(80));
    EXPECT_TRUE(timer.Pending());
    EXPECT_TRUE(timer.Tick(80));
    EXPECT_FALSE(timer.Tick(80));
    EXPECT_FALSE(timer.Pending());
}

class HistoryDeleteTest : public ::testing::Test {
protected:
    std::filesystem::path Resolve(std::string_view systemPath) const
    {
        std::string path(systemPath);
        std::replace(path.begin(), path.end(), '\\', '/');
        return path;
    }
    void Write(std::uint32_t time, const std::string& text)
    {
        std::filesystem::create_directories(m_dir / "LogData");
        std::ofstream(Resolve(DayLogPath(m_dir.str(), time)), std::ios::binary) << text;
    }
    std::string Read(std::uint32_t time)
    {
        std::string text;
        ReadWholeFile(Resolve(DayLogPath(m_dir.str(), time)), text);
        return text;
    }
    test::TempDir m_dir;
    PathResolver m_resolve = [this](std::string_view p) { return Resolve(p); };
};

TEST_F(HistoryDeleteTest, RemovesTheKeysOfTheRecordsFromTheirDayFiles)
{
    const std::uint32_t late = 4000000000u; // 2096, beyond a signed 32-bit time
    Write(kDec05Noon, "[EAST\\COM1]\r\n881319600=C_A\\a\r\n881319660=C_A\\b\r\n[EAST\\COM2]\r\n881319600=C_A\\c\r\n");
    Write(late, "[EAST\\COM1]\r\n4000000000=C_A\\d\r\n");
    const auto failed = DeleteLogRecords(m_dir.str(),
                                         {Record("EAST", "COM1", "", kDec05Noon, 1), Record("EAST", "COM1", "", late, 1),
                                          Record("EAST", "COM9", "", kDec05Noon + 5, 1)},
                                         m_resolve);
    EXPECT_FALSE(failed);
    EXPECT_EQ(Read(kDec05Noon), "[EAST\\COM1]\r\n881319660=C_A\\b\r\n[EAST\\COM2]\r\n881319600=C_A\\c\r\n");
    EXPECT_EQ(Read(late), "[EAST\\COM1]\r\n");
}

TEST_F(HistoryDeleteTest, ReadOnlyOrVanishedFileIsReportedAndNothingElseIsTouched)
{
    const std::uint32_t next = kDec05Noon + 86400;
    Write(kDec05Noon, "[S\\P]\r\n881319600=C_A\\a\r\n");
    Write(next, "[S\\P]\r\n881406000=C_A\\a\r\n");
    const auto first = Resolve(DayLogPath(m_dir.str(), kDec05Noon));
    std::filesystem::permissions(first, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    const auto failed = DeleteLogRecords(
        m_dir.str(), {Record("S", "P", "", kDec05Noon, 1), Record("S", "P", "", next, 1)}, m_resolve);
    ASSERT_TRUE(failed);
    EXPECT_EQ(*failed, DayLogPath(m_dir.str(), kDec05Noon));
    EXPECT_EQ(Read(kDec05Noon), "[S\\P]\r\n881319600=C_A\\a\r\n");
    EXPECT_EQ(Read(next), "[S\\P]\r\n881406000=C_A\\a\r\n");

    // A file that is gone is reported and not created again.
    const auto gone = DeleteLogRecords(m_dir.str(), {Record("S", "P", "", kDec05Noon + 5 * 86400, 1)}, m_resolve);
    ASSERT_TRUE(gone);
    EXPECT_FALSE(std::filesystem::exists(Resolve(*gone)));
}

TEST_F(HistoryDeleteTest, RecordsOfTwoDaysNamingTheSamePortSortAndDeleteApart)
{
    // Two day files name the same server, port and accounts: the loaded
    // records share those texts, yet sort and delete one by one.
    const std::uint32_t next = kDec05Noon + 86400;
    Write(kDec05Noon, "[EAST\\COM1]\r\n881319600=C_A\\b\r\n881319660=C_A\\a\r\n");
    Write(next, "[EAST\\COM1]\r\n881406000=C_A\\b\r\n[WEST\\COM1]\r\n881406060=C_A\\a\r\n");
    ActivityLog log(m_resolve);
    log.SetDatabaseDirectory(m_dir.str());
    ASSERT_TRUE(log.LoadScope(2, kDec05Noon));
    std::vector<LogRecord> records = log.Records();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].server.data(), records[2].server.data());

    std::vector<std::uint32_t> rows = {0, 1, 2, 3};
    SortHistoryRows(rows, records, HistoryColumn::User, 1);
    // Equal names: the later record first.
    EXPECT_EQ(rows, (std::vector<std::uint32_t>{3, 1, 2, 0}));
    SortHistoryRows(rows, records, HistoryColumn::Server, 1);
    EXPECT_EQ(rows, (std::vector<std::uint32_t>{2, 1, 0, 3}));

    EXPECT_FALSE(DeleteLogRecords(m_dir.str(), {records[0], records[3]}, m_resolve));
    EXPECT_EQ(Read(kDec05Noon), "[EAST\\COM1]\r\n881319660=C_A\\a\r\n");
    EXPECT_EQ(Read(next), "[EAST\\COM1]\r\n881406000=C_A\\b\r\n[WEST\\COM1]\r\n");
    ASSERT_TRUE(log.LoadScope(2, kDec05Noon));
    ASSERT_EQ(log.Count(), 2u);
    EXPECT_EQ(log.Records()[0].user, "A\\a");
    EXPECT_EQ(log.Records()[1].user, "A\\b");
    EXPECT_EQ(log.Records()[1].server, "EAST");
    // The records kept from before the reload still read as they did.
    EXPECT_EQ(records[3].server, "WEST");
    EXPECT_EQ(records[0].user, "A\\b");
}
