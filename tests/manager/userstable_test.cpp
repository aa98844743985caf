// The users view's texts, filters, sort and comma-separated text, and the
// user sheet's rules, without windows.

#include "common/timeformat.h"
#include "manager/core/useredit.h"
#include "manager/core/usersettings.h"
#include "manager/core/userstable.h"
#include "tests/support/tempdir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace dm;
using ::testing::ElementsAre;

namespace {

UserRecord Account(const std::string& key, int connects, int total, std::uint32_t last = 0, int lasted = 0)
{
    UserRecord record;
    record.accountKey = key;
    record.totalConnects = connects;
    record.totalTime = total;
    record.lastConnection = last;
    record.lasted = lasted;
    return record;
}

std::vector<std::string> Keys(const std::vector<UserRecord>& records, const std::vector<int>& rows)
{
    std::vector<std::string> keys;
    for (int row : rows)
        keys.push_back(records[static_cast<std::size_t>(row)].accountKey);
    return keys;
}

} // namespace

TEST(UsersTable, CellsShowHoursAndMinutesAndLeaveAnUnusedAccountEmpty)
{
    const std::uint32_t last = 1000000000;
    UserRecord record = Account("OSTERHALL\\anna", 12, 25 * 3600 + 61, last, 4000);
    record.totalDenieds = 3;
    auto cells = UserRowTexts(record);
    EXPECT_THAT(cells, ElementsAre("OSTERHALL\\anna", "12", "3",
                                   FormatShortDate(last) + " " + FormatTimeOfDay(last), "01:06", "25:01"));
    cells = UserRowTexts(Account("OSTERHALL\\new", 0, 0));
    EXPECT_EQ(cells[UsersColumnLastSession], "");
    EXPECT_EQ(cells[UsersColumnLasted], "");
    EXPECT_EQ(cells[UsersColumnTotal], "00:00");
    cells = UserRowTexts(Account("OSTERHALL\\zero", 1, 0, last, 0));
    EXPECT_EQ(cells[UsersColumnLasted], " ");
}

TEST(UsersTable, FiltersCompareWithoutCaseAndGroupsCountTheUserPartOnly)
{
    const std::vector<UserRecord> records = {Account("OSTERHALL\\anna", 1, 0), Account("FIELD\\Bert", 1, 0),
                                             Account("osterhall\\carl", 1, 0), Account("FIELD\\anna", 1, 0)};
    UsersFilter all;
    EXPECT_THAT(Keys(records, FilterUserRows(records, all)),
                ElementsAre("FIELD\\anna", "osterhall\\carl", "FIELD\\Bert", "OSTERHALL\\anna"))
        << "the view lists the table backwards";
    UsersFilter domain;
    domain.domain = "Osterhall";
    EXPECT_THAT(Keys(records, FilterUserRows(records, domain)), ElementsAre("osterhall\\carl", "OSTERHALL\\anna"));
    UsersFilter user;
    user.user = "ANNA";
    EXPECT_THAT(Keys(records, FilterUserRows(records, user)), ElementsAre("FIELD\\anna", "OSTERHALL\\anna"));
    UsersFilter group;
    group.domain = "OSTERHALL";
    group.group = "Drivers";
    group.members = {"Anna", "bert"};
    EXPECT_THAT(Keys(records, FilterUserRows(records, group)),
                ElementsAre("FIELD\\anna", "FIELD\\Bert", "OSTERHALL\\anna"));
    group.members.clear();
    EXPECT_TRUE(FilterUserRows(records, group).empty()) << "no controller, no members, no account";
}

TEST(UsersTable, OneDirectionSortsNamesUpAndNumbersDown)
{
    const std::vector<UserRecord> records = {Account("D\\b", 5, 10), Account("D\\a", 9, 70000),
                                             Account("D\\c", 1, -5)};
    std::vector<int> rows = {0, 1, 2};
    SortUserRows(rows, records, UsersColumnUser, 1);
    EXPECT_THAT(Keys(records, rows), ElementsAre("D\\a", "D\\b", "D\\c"));
    SortUserRows(rows, records, UsersColumnSessions, 1);
    EXPECT_THAT(Keys(records, rows), ElementsAre("D\\a", "D\\b", "D\\c"));
    SortUserRows(rows, records, UsersColumnSessions, -1);
    EXPECT_THAT(Keys(records, rows), ElementsAre("D\\c", "D\\b", "D\\a"));
    // Times are unsigned: -5 seconds is the largest total.
    SortUserRows(rows, records, UsersColumnTotal, 1);
    EXPECT_THAT(Keys(records, rows), ElementsAre("D\\c", "D\\a", "D\\b"));
    EXPECT_EQ(CompareUserRecords(records[0], records[1], 9, 1), -1);
}

TEST(UsersTable, SaveAsWritesAHeaderAndEveryRowTheClipboardOnlyRows)
{
    const std::vector<UserRecord> records = {Account("D\\a", 2, 3600), Account("D\\b", 0, 0)};
    EXPECT_EQ(UsersCsv(records, {1, 0}), "User,Sessions,Denials,Last Session,Lasted,Total Time\n"
                                         "D\\b,0,0, , ,00:00,\n"
                                         "D\\a,2,0, , ,01:00,\n");
    EXPECT_EQ(UsersCsv(records, {}), "User,Sessions,Denials,Last Session,Lasted,Total Time\n");
    EXPECT_EQ(UsersClipboardText(records, {0}), "D\\a,2,0, , ,01:00,\r\n");
}

TEST(UserEdit, TheAccountIsReadFromTheFileWithoutCaseOrStartsNewAtTheEnd)
{
    dm::test::TempDir dir;
    dm::test::WriteFile(dir / "Dialmind.usr", "[domain\\jdoe]\r\nTotalTime=250\r\n");
    UserSettings users;
    users.SetFile((dir / "Dialmind.usr").string());
    // The table is older than the file: the sheet shows what the file holds.
    users.Records() = {Account("domain\\jdoe", 4, 100), Account("domain\\ann", 1, 1)};
    EXPECT_FALSE(BeginUserEdit(users, "DOMAIN\\JDoe"));
    EXPECT_EQ(users.EditIndex(), 0);
    EXPECT_EQ(users.EditRecord().totalTime, 250);
    EXPECT_EQ(users.EditRecord().accountKey, "domain\\jdoe");
    EXPECT_TRUE(BeginUserEdit(users, "DOMAIN\\new"));
    EXPECT_EQ(users.EditIndex(), 2);
    EXPECT_EQ(users.EditRecord().accountKey, "DOMAIN\\new");
    EXPECT_EQ(users.EditRecord().totalConnects, 0);
    const auto statistics = UserStatistics(users.EditRecord());
    ASSERT_EQ(statistics.size(), static_cast<std::size_t>(StatRowCount));
    EXPECT_EQ(statistics[StatTotalUsage].value, "0 secs");
    EXPECT_EQ(statistics[StatFirstSession].value, "N/A");
    EXPECT_EQ(statistics[StatPeriodUsage].label, "Period Usage");
}

TEST(UserEdit, ResetClearsCountersButNeverTheLastLength)
{
    UserRecord record = Account("D\\a", 7, 900, 1000000000, 300);
    record.firstConnection = 999999000;
    record.periodUsage = 50;
    record.totalDenieds = 4;
    for (int row = 0; row < StatRowCount; ++row)
        ResetStatistic(record, row);
    EXPECT_EQ(record.totalTime, 0);
    EXPECT_EQ(record.totalConnects, 0);
    EXPECT_EQ(record.firstConnection, 0u);
    EXPECT_EQ(record.lastConnection, 0u);
    EXPECT_EQ(record.periodUsage, 0);
    EXPECT_EQ(record.lasted, 300);
    EXPECT_EQ(record.totalDenieds, 4);
    EXPECT_TRUE(CanResetStatistics({StatTotalUsage, StatSessions}));
    EXPECT_FALSE(CanResetStatistics({StatTotalUsage, StatLastLasted}));
    EXPECT_FALSE(CanResetStatistics({}));
}

TEST(UserEdit, AddressesPackOnlyOctetsFrom0To255)
{
    EXPECT_EQ(PackAddress({"10", "0", "0", "1"}), 0x0A000001u);
    EXPECT_EQ(UnpackAddress(0xC0A80A01u), (std::array<std::string, 4>{"192", "168", "10", "1"}));
    EXPECT_EQ(PackAddress({"10", "300", "0", "1"}), std::nullopt);
    EXPECT_EQ(PackAddress({"10", "", "0", "1"}), std::nullopt);
    EXPECT_EQ(PackAddress({"255", "255", "255", "255"}), 0xFFFFFFFFu);
}

TEST(UserEdit, PermissionBitsReadAndWrittenAsTheRasLibraryKeepsThem)
{
    EXPECT_EQ(CallbackOf(10), CallbackPreset);
    EXPECT_EQ(CallbackOf(9), CallbackNone);
    EXPECT_EQ(CallbackOf(12), CallbackByCaller);
    EXPECT_EQ(CallbackOf(8), CallbackUnset);
    EXPECT_EQ(PermissionBits(true, CallbackPreset), 10);
    EXPECT_EQ(PermissionBits(false, CallbackNone), 1);
    EXPECT_EQ(PermissionBits(true, CallbackUnset), 8);
}
