// The report run's behaviour beyond the golden files: key matching, record
// numbering, the output's stop points, cancelling, and the equivalence of the
// one write with per-record profile reads and writes.

#include "common/activitylog.h"
#include "common/timeformat.h"
#include "platform/files/pathresolver.h"
#include "platform/files/profile.h"
#include "reports/reportcsv.h"
#include "reports/reportevents.h"
#include "reports/reportrun.h"
#include "tests/reports/reportdatabase.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace dm;
using namespace dm::test;
using ::testing::ElementsAre;

namespace {

class ReportRun : public ::testing::Test {
protected:
    void SetUp() override { m_db.FillStandard(); }

    ReportRequest Request(int reportType, int periodType)
    {
        ReportRequest request;
        request.reportType = reportType;
        request.periodType = periodType;
        request.databaseDirectory = m_db.Directory();
        request.outputFile = "out.csv";
        request.now = GoldenNow();
        request.workingDirectory = m_db.WorkDirectory();
        return request;
    }
    std::string Dmtemp() const { return (m_db.WorkDirectory() / "dmtemp.dat").string(); }
    std::string Csv() const { return ReadFile(m_db.WorkDirectory() / "out.csv"); }

    // The activity log's own loaders: every day file, then the legacy log,
    // one table sorted by time with day-file events first among equal times.
    std::vector<LogRecord> ActivityLogRecords(bool legacy) const
    {
        ActivityLog log([](std::string_view path) { return ResolvePathOrEmpty(path); });
        log.SetDatabaseDirectory(m_db.Directory());
        log.LoadScope(4, 0);
        std::vector<LogRecord> records = log.Records();
        if (legacy) {
            log.LoadLegacy();
            records.insert(records.end(), log.Records().begin(), log.Records().end());
            std::stable_sort(records.begin(), records.end(),
                             [](const LogRecord& a, const LogRecord& b) { return a.time < b.time; });
        }
        return records;
    }

    ReportDatabase m_db;
};

} // namespace

TEST_F(ReportRun, UserKeysMatchWithoutRegardToCaseSpelledAsTheFirstRecord)
{
    RunReport(Request(ReportUsagePerUser, PeriodAllRecords));
    // DOM\Smith (10th), DOM\SMITH (16th) and DOM\smith (18th) are one user.
    EXPECT_THAT(GetPrivateProfileKeyNames("Users", Dmtemp()),
                ElementsAre("DOM\\joe", "DOM\\ann", "DOM\\Smith", "DOM\\zed"));
    EXPECT_EQ(GetPrivateProfileString("Users", "dom\\SMITH", "", Dmtemp()), "9125");
    EXPECT_EQ(GetPrivateProfileString("Users2", "DOM\\Smith", "", Dmtemp()), "3");
    // The legacy log belongs to dmreport's runs only.
    EXPECT_EQ(GetPrivateProfileString("Users", "DOM\\legacy", "none", Dmtemp()), "none");
}

TEST_F(ReportRun, DeniedKeysRunWithoutGapsInTimeOrder)
{
    RunReport(Request(ReportDeniedConnections, PeriodAllRecords));
    const auto keys = GetPrivateProfileKeyNames("Denied Connections", Dmtemp());
    ASSERT_EQ(keys.size(), 6u);
    std::uint32_t previous = 0;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i], "REC" + std::to_string(i));
        const std::string value = GetPrivateProfileString("Denied Connections", keys[i], "", Dmtemp());
        const auto time = static_cast<std::uint32_t>(std::stoul(value));
        EXPECT_LE(previous, time);
        previous = time;
    }
    EXPECT_EQ(GetPrivateProfileString("Denied Connections", "REC1", "", Dmtemp()),
              std::to_string(LocalTimeOf(2026, 3, 1, 9, 0, 0)) + "?RAS1\\COM2?DOM\\bob");
}

TEST_F(ReportRun, DeniedCsvStopsAtTheFirstMissingKey)
{
    RunReport(Request(ReportDeniedConnections, PeriodAllRecords));
    ASSERT_TRUE(DeletePrivateProfileKey("Denied Connections", "REC2", Dmtemp()));
    ASSERT_TRUE(WriteReportCsv(Dmtemp(), m_db.WorkDirectory() / "out.csv"));
    EXPECT_EQ(Csv(), "Report of Denied Connections\r\n"
                     "Using all records available - no time period specified.\r\n"
                     "02/27/26 11:00,RAS1\\COM1,DOM\\eve\r\n"
                     "03/01/26 09:00,RAS1\\COM2,DOM\\bob\r\n");
}

TEST_F(ReportRun, CsvStopPointsAndReplacement)
{
    const std::filesystem::path out = m_db.WorkDirectory() / "out.csv";
    const std::string dmtemp = (m_db.WorkDirectory() / "hand.dat").string();
    WriteFile(out, std::string(5000, 'x')); // an older, longer report

    WriteFile(dmtemp, "[Format]\r\nTimePeriodType=4\r\n[Users]\r\nDOM\\joe=5\r\n");
    ASSERT_TRUE(WriteReportCsv(dmtemp, out));
    EXPECT_EQ(Csv(), ""); // no ReportType: the file is created and stays empty

    WriteFile(dmtemp, "[Format]\r\nReportType=9\r\nTimePeriodType=4\r\n");
    ASSERT_TRUE(WriteReportCsv(dmtemp, out));
    EXPECT_EQ(Csv(), "");

    WriteFile(dmtemp, "[Format]\r\nReportType=1\r\n[Users]\r\nDOM\\joe=5\r\n");
    ASSERT_TRUE(WriteReportCsv(dmtemp, out));
    EXPECT_EQ(Csv(), "Report of usage time per UserID\r\n"); // no TimePeriodType

    WriteFile(dmtemp, "[Format]\r\nReportType=1\r\nTimePeriodType=2\r\n[Users]\r\nDOM\\joe=3725\r\n");
    ASSERT_TRUE(WriteReportCsv(dmtemp, out));
    EXPECT_EQ(Csv(), "Report of usage time per UserID\r\nData from n/a.\r\nData until n/a.\r\n"
                     "DOM\\joe,3725,0\r\n");

    EXPECT_FALSE(WriteReportCsv(dmtemp, m_db.WorkDirectory() / "missing-dir" / "x.csv"));
}

TEST_F(ReportRun, BusyPortsWithNothingInThePeriodKeepOnlyFormat)
{
    ReportRequest request = Request(ReportBusyPortsPerHour, PeriodCustom);
    request.custom = {LocalTimeOf(2026, 3, 18, 9, 30, 0), LocalTimeOf(2026, 3, 18, 11, 30, 0)};
    RunReport(request); // only the empty and the "*" value lie in this period
    EXPECT_THAT(GetPrivateProfileSectionNames(Dmtemp()), ElementsAre("Format"));
    EXPECT_EQ(Csv(), "Report of Busy Ports per Hour\r\nData from 03/18/26 09:30.\r\n"
                     "Data until 03/18/26 11:30.\r\n");
}

TEST_F(ReportRun, CancelStopsWithoutAnyOutput)
{
    std::atomic<bool> cancel{false};
    std::vector<std::string> progress;
    ReportRunControl control;
    control.cancel = &cancel;
    control.progress = [&](const std::string& text) {
        progress.push_back(text);
        if (text == "Checking record 3 of 20")
            cancel = true;
    };
    bool printed = false;
    control.print = [&](const std::string&) { return printed = true; };
    WriteFile(m_db.WorkDirectory() / "dmtemp.dat", "[Format]\r\nReportType=1\r\n");

    const ReportRunResult result = RunReport(Request(ReportUsagePerUser, PeriodAllRecords), control);
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(std::filesystem::exists(m_db.WorkDirectory() / "dmtemp.dat"));
    EXPECT_FALSE(std::filesystem::exists(m_db.WorkDirectory() / "out.csv"));
    EXPECT_FALSE(printed);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), "Loading and sorting data");
    EXPECT_EQ(progress.back(), "Checking record 3 of 20");
}

TEST_F(ReportRun, CancelStopsEveryReportTypeBusyPortsIncluded)
{
    for (int type = ReportUsagePerUser; type <= ReportBusyPortsPerHour; ++type) {
        SCOPED_TRACE(type);
        std::atomic<bool> cancel{true};
        ReportRunControl control;
        control.cancel = &cancel;
        std::filesystem::remove(m_db.WorkDirectory() / "out.csv");
        const ReportRunResult result = RunReport(Request(type, PeriodAllRecords), control);
        EXPECT_TRUE(result.cancelled);
        EXPECT_EQ(ReportRunError(result, "out.csv"), "");
        EXPECT_FALSE(std::filesystem::exists(m_db.WorkDirectory() / "dmtemp.dat"));
        EXPECT_FALSE(std::filesystem::exists(m_db.WorkDirectory() / "out.csv"));
    }
}

TEST_F(ReportRun, AReportThatReachedNoPrinterOrFileIsAFailure)
{
    ReportRequest request = Request(ReportUsagePerPort, PeriodAllRecords);
    request.print = true;
    ReportRunResult result = RunReport(request); // no printing half at all
    EXPECT_TRUE(result.printFailed);
    EXPECT_EQ(ReportRunError(result, "out.csv"),
              "ERROR: Could not print the report: no printer is available.");

    ReportRunControl control;
    control.print = [](const std::string&) { return false; };
    EXPECT_TRUE(RunReport(request, control).printFailed);
    control.print = [](const std::string&) { return true; };
    result = RunReport(request, control);
    EXPECT_FALSE(result.printFailed);
    EXPECT_EQ(ReportRunError(result, "out.csv"), "");

    request.print = false;
    request.outputFile = "missing-dir/out.csv";
    result = RunReport(request);
    EXPECT_EQ(ReportRunError(result, "missing-dir/out.csv"),
              "ERROR: Could not create report file missing-dir/out.csv: No such file or directory.");
}

TEST_F(ReportRun, PrintingHandsTheIntermediateFileToThePrinter)
{
    ReportRequest request = Request(ReportUsagePerUser, PeriodToday);
    request.print = true;
    std::vector<int> percents;
    std::vector<std::string> progress;
    std::string printedFile;
    ReportRunControl control;
    control.percent = [&](int p) { percents.push_back(p); };
    control.progress = [&](const std::string& text) { progress.push_back(text); };
    control.print = [&](const std::string& file) {
        printedFile = file;
        // The file is complete when printing starts.
        EXPECT_EQ(GetPrivateProfileString("Users", "DOM\\smith", "", file), "3600");
        return true;
    };
    RunReport(request, control);
    EXPECT_EQ(printedFile, Dmtemp());
    EXPECT_THAT(percents, ElementsAre(60, 100));
    EXPECT_EQ(progress.back(), "Printing Report");
    EXPECT_FALSE(std::filesystem::exists(m_db.WorkDirectory() / "out.csv"));
}

TEST_F(ReportRun, OneWriteEqualsPerRecordProfileWrites)
{
    // Adds names that only a profile file's rules merge or refuse.
    m_db.AddDayFile("2026-Mar-17", "[RAS1\\COM1]\r\n" +
                                       std::to_string(LocalTimeOf(2026, 3, 17, 9, 0, 0)) +
                                       "=H10_DOM\\Joe ?0\r\n" +
                                       std::to_string(LocalTimeOf(2026, 3, 17, 9, 1, 0)) +
                                       "=H10_;comment?0\r\n" +
                                       std::to_string(LocalTimeOf(2026, 3, 17, 9, 2, 0)) +
                                       "=H10_a=b?0\r\n" +
                                       std::to_string(LocalTimeOf(2026, 3, 17, 9, 3, 0)) + "=H10_\r\n");
    for (int type : {ReportUsagePerUser, ReportUsagePerPort, ReportDeniedConnections}) {
        ReportRequest request = Request(type, PeriodAllRecords);
        request.includeLegacyLog = true;
        RunReport(request);
        const std::string engine = ReadFile(Dmtemp());

        // The same result through the profile operations, record by record.
        const std::string reference = (m_db.WorkDirectory() / "reference.dat").string();
        std::filesystem::remove(reference);
        WritePrivateProfileString("Format", "ReportType", std::to_string(type), reference);
        WritePrivateProfileString("Format", "TimePeriodType", "4", reference);
        WritePrivateProfileString("Format", "From", "First available record", reference);
        WritePrivateProfileString("Format", "To", "Last available record", reference);
        int n = 0;
        for (const LogRecord& record : ActivityLogRecords(true)) {
            const std::string port = std::string(record.server) + "\\" + std::string(record.port);
            if (type != ReportDeniedConnections && record.kind == 0) {
                const std::string key = type == ReportUsagePerUser ? std::string(record.user) : port;
                const char* totals = type == ReportUsagePerUser ? "Users" : "Ports";
                const char* counts = type == ReportUsagePerUser ? "Users2" : "Ports2";
                const int total = GetPrivateProfileInt(totals, key, 0, reference) + record.duration;
                WritePrivateProfileString(totals, key, std::to_string(total), reference);
                const int count = GetPrivateProfileInt(counts, key, 0, reference) + 1;
                WritePrivateProfileString(counts, key, std::to_string(count), reference);
            } else if (type == ReportDeniedConnections && record.kind == 2) {
                WritePrivateProfileString("Denied Connections", "REC" + std::to_string(n++),
                                          std::to_string(record.time) + "?" + port + "?" +
                                              std::string(record.user),
                                          reference);
            }
        }
        EXPECT_EQ(engine, ReadFile(reference)) << "report type " << type;
    }
}

TEST_F(ReportRun, EventsAreTheActivityLogsRecords)
{
    const auto check = [](const ReportEvents& events, const std::vector<LogRecord>& records) {
        ASSERT_EQ(events.Size(), records.size());
        for (std::size_t i = 0; i < records.size(); ++i) {
            const ReportEvents::Event& event = events.Events()[i];
            EXPECT_EQ(event.time, records[i].time) << i;
            EXPECT_EQ(event.kind, records[i].kind) << i;
            if (records[i].kind == kLogConnect)
                continue;
            EXPECT_EQ(event.duration, records[i].duration) << i;
            EXPECT_EQ(events.UserName(event.user), records[i].user) << i;
            EXPECT_EQ(events.PortName(event.port), records[i].server + "\\" + records[i].port) << i;
        }
    };
    check(LoadReportEvents({m_db.Directory(), true, true}, {0, UINT32_MAX}, {}),
          ActivityLogRecords(true));
    check(LoadReportEvents({m_db.Directory(), true, false}, {0, UINT32_MAX}, {}),
          ActivityLogRecords(false));

    // A range reads the days it covers, as the range loader does.
    ActivityLog log([](std::string_view path) { return ResolvePathOrEmpty(path); });
    log.SetDatabaseDirectory(m_db.Directory());
    const ReportPeriod week{LocalTimeOf(2026, 3, 16, 0, 1, 0), LocalTimeOf(2026, 3, 18, 23, 59, 59)};
    log.LoadRange(week.from, week.to);
    std::vector<std::string> progress;
    const ReportEvents events = LoadReportEvents({m_db.Directory(), false, false}, week,
                                                 [&](const std::string& t) { progress.push_back(t); });
    check(events, log.Records());
    EXPECT_EQ(events.Size(), 11u); // the 16th and the 18th
    EXPECT_THAT(progress, ElementsAre("Processing logs from RAS1\\COM1, please wait...",
                                      "Processing logs from ras1\\com2, please wait...",
                                      "Processing logs from RAS1\\COM1, please wait...",
                                      "Processing logs from RAS2\\COM1, please wait..."));
}

TEST_F(ReportRun, EventsInBothTheLegacyLogAndADayFileCountOnce)
{
    const std::size_t dayEvents = ActivityLogRecords(false).size();
    const std::size_t legacyEvents = ActivityLogRecords(true).size() - dayEvents;
    const std::uint32_t monday = LocalTimeOf(2026, 3, 16, 8, 0, 0);
    const std::uint32_t connect = LocalTimeOf(2026, 3, 18, 10, 0, 0);
    // A failed migration's leftovers: the same section in other capitals and
    // the same time are the same event, a session end or a connection; the
    // same time on another port or another second on the port are not.
    m_db.AddLegacyLog("[ras1\\COM1]\r\n" + std::to_string(monday) + "=H1800_DOM\\SMITH?0\r\n" +
                      std::to_string(connect) + "=C_DOM\\smith\r\n" + std::to_string(monday + 1) +
                      "=H5_DOM\\other?0\r\n" + "[RAS2\\COM1]\r\n" + std::to_string(monday) +
                      "=H7_DOM\\other?0\r\n");

    const ReportEvents events = LoadReportEvents({m_db.Directory(), true, true}, {0, UINT32_MAX}, {});
    EXPECT_EQ(events.Size(), dayEvents + legacyEvents + 2);
    std::vector<std::string> atMonday;
    int connections = 0;
    for (const ReportEvents::Event& event : events.Events()) {
        if (event.time == monday)
            atMonday.emplace_back(events.PortName(event.port));
        connections += event.time == connect && event.kind == kLogConnect;
    }
    EXPECT_THAT(atMonday, ElementsAre("RAS1\\COM1", "RAS2\\COM1"));
    EXPECT_EQ(connections, 1);

    // Without the legacy log, or when it is not asked for, every day-file
    // event counts, equal ones included.
    m_db.AddDayFile("2026-Mar-17", "[RAS1\\COM1]\r\n" + std::to_string(monday) + "=H1800_DOM\\SMITH?0\r\n");
    EXPECT_EQ(LoadReportEvents({m_db.Directory(), true, false}, {0, UINT32_MAX}, {}).Size(), dayEvents + 1);
    std::filesystem::remove(m_db.LocalDirectory() / "Dialmind.log");
    EXPECT_EQ(LoadReportEvents({m_db.Directory(), true, true}, {0, UINT32_MAX}, {}).Size(), dayEvents + 1);
}

TEST_F(ReportRun, EventsOfFilesReadOutOfDayOrderComeOutByTime)
{
    // Every day file in name order: April's comes before March's, and the
    // copy's event at the same second as the 30th's last one comes after it.
    const std::uint32_t march = LocalTimeOf(2026, 3, 30, 23, 0, 0);
    const std::uint32_t april = LocalTimeOf(2026, 4, 2, 8, 0, 0);
    m_db.AddDayFile("2026-Apr-02", "[RAS1\\COM1]\r\n" + std::to_string(april + 60) + "=H2_DOM\\b?0\r\n" +
                                       "[RAS1\\COM2]\r\n" + std::to_string(april) + "=H1_DOM\\a?0\r\n");
    m_db.AddDayFile("2026-Mar-30", "[RAS1\\COM1]\r\n" + std::to_string(march) + "=H3_DOM\\c?0\r\n");
    m_db.AddDayFile("2026-Mar-30~", "[RAS2\\COM1]\r\n" + std::to_string(march) + "=H4_DOM\\d?0\r\n");
    const ReportEvents events = LoadReportEvents({m_db.Directory(), true, false}, {0, UINT32_MAX}, {});
    std::vector<std::string> order;
    for (std::size_t i = 0; i < events.Size(); ++i) {
        const ReportEvents::Event& event = events.Events()[i];
        if (i > 0) {
            EXPECT_LE(events.Events()[i - 1].time, event.time) << i;
        }
        if (event.time >= march && event.kind != kLogConnect)
            order.emplace_back(events.UserName(event.user));
    }
    EXPECT_THAT(order, ElementsAre("DOM\\c", "DOM\\d", "DOM\\a", "DOM\\b"));
    // The day files beside the legacy log: the same order, the legacy
    // events among them by time.
    const ReportEvents all = LoadReportEvents({m_db.Directory(), true, true}, {0, UINT32_MAX}, {});
    EXPECT_TRUE(std::is_sorted(all.Events().begin(), all.Events().end(),
                               [](const auto& a, const auto& b) { return a.time < b.time; }));
    EXPECT_EQ(all.Size(), events.Size() + 3);
}

TEST_F(ReportRun, ManyDayFilesReadOnTwoThreadsGiveTheEventsOneThreadGives)
{
    // Over a megabyte of day files, so that the later ones are read apart:
    // the same names in both halves (one spelled in capitals only in the
    // later half), events at the same second in neighbouring files, a day
    // listed out of time order, and progress texts in file order.
    const std::uint32_t first = LocalTimeOf(2026, 1, 1, 0, 0, 0);
    for (int day = 0; day < 40; ++day) {
        const std::uint32_t noon = AddLocalDays(first, day) + 12 * 3600;
        std::string text;
        for (int port = 1; port <= 3; ++port) {
            text += "[RAS" + std::to_string(day % 2 + 1) + "\\COM" + std::to_string(port) + "]\r\n";
            for (int i = 0; i < 250; ++i) {
                const std::uint32_t time = noon + static_cast<std::uint32_t>(i * 60 + port);
                const std::string user = (day >= 30 && i % 5 == 0 ? "DOM\\USER" : "DOM\\user") + std::to_string(i % 9);
                text += std::to_string(time) + "=" +
                        (i % 4 == 3 ? FormatConnectValue(user)
                                    : i % 4 == 2 ? FormatDeniedValue(user, 5)
                                                 : FormatSessionEndValue(i, user, 1, 0, "0000000A.00C0A8000001",
                                                                         "PC" + std::to_string(i))) +
                        "\r\n";
            }
        }
        // The previous file's last second again, listed last.
        if (day > 0)
            text += "[RAS9\\COM1]\r\n" + std::to_string(noon - 86400 + 249 * 60 + 3) + "=H7_DOM\\early?0\r\n";
        m_db.AddDayFile(FormatDayLogDate(noon), text);
    }
    std::uintmax_t bytes = 0;
    for (const auto& file : std::filesystem::directory_iterator(m_db.LocalDirectory() / "LogData"))
        bytes += file.file_size();
    ASSERT_GE(bytes, std::uintmax_t{1} << 20); // what a second thread is started for
    std::vector<std::string> progress;
    const ReportEvents events = LoadReportEvents({m_db.Directory(), true, false}, {0, UINT32_MAX},
                                                 [&](const std::string& t) { progress.push_back(t); });
    ActivityLog log([](std::string_view path) { return ResolvePathOrEmpty(path); });
    log.SetDatabaseDirectory(m_db.Directory());
    std::vector<std::string> logProgress;
    log.SetProgressSink([&](const std::string& t) { logProgress.push_back(t); });
    log.LoadScope(4, 0);
    logProgress.pop_back(); // "Ready"
    EXPECT_EQ(progress, logProgress);
    const std::vector<LogRecord>& records = log.Records();
    ASSERT_EQ(events.Size(), records.size());
    ASSERT_GE(records.size(), 40u * 750 + 39); // and the standard database's
    for (std::size_t i = 0; i < records.size(); ++i) {
        const ReportEvents::Event& event = events.Events()[i];
        ASSERT_EQ(event.time, records[i].time) << i;
        ASSERT_EQ(event.kind, records[i].kind) << i;
        if (records[i].kind == kLogConnect)
            continue;
        ASSERT_EQ(event.duration, records[i].duration) << i;
        ASSERT_EQ(events.UserName(event.user), records[i].user) << i;
        ASSERT_EQ(events.PortName(event.port), records[i].server + "\\" + records[i].port) << i;
    }
}
