// The capacity figures per hour of the day: sessions made by hand, checked
// against loads and counts worked out second by second in the test, and a
// history that dmsim's generator writes, summed from its day files here.

#include <gtest/gtest.h>

#include "common/logrecord.h"
#include "common/timeformat.h"
#include "manager/core/capacityload.h"
#include "manager/core/capacitymodel.h"
#include "manager/core/erlangb.h"
#include "netemu/generator.h"
#include "tests/support/tempdir.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

using namespace dm;

namespace {

// Local midnights in TZ=Europe/Berlin.
constexpr std::uint32_t kNov02 = 1793574000; // Monday 2026-11-02
constexpr std::uint32_t kOct25 = 1792879200; // the day of 25 hours
constexpr std::uint32_t kHour = 3600;

CapacitySession At(std::uint32_t day, double fromHour, double toHour)
{
    return {day + std::uint32_t(fromHour * kHour), day + std::uint32_t(toHour * kHour)};
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class CapacityModelTest : public ::testing::Test {
protected:
    CapacityWindow m_twoDays{kNov02, kNov02 + 86400};
    CapacityServer m_server{"SRV", 2,
                            {At(kNov02, 10, 11.5), At(kNov02, 10.5, 11),
                             At(kNov02 + 86400, 10.25, 10.75),
                             // back to back: never two at once
                             At(kNov02 + 86400, 14, 15), At(kNov02 + 86400, 15, 16)}};
};

} // namespace

TEST_F(CapacityModelTest, HandMadeSessionsGiveLoadPeakAndAllBusyTime)
{
    const ServerCapacity result = ComputeServerCapacity(m_server, m_twoDays, {});
    EXPECT_EQ(m_twoDays.Days(), 2);
    // Hour 10: 3600 + 1800 + 1800 port-seconds over two days.
    EXPECT_DOUBLE_EQ(result.hours[10].carried, 1.0);
    EXPECT_DOUBLE_EQ(result.hours[11].carried, 0.25);
    EXPECT_DOUBLE_EQ(result.hours[14].carried, 0.5);
    EXPECT_EQ(result.hours[10].peak, 2);
    EXPECT_EQ(result.hours[14].peak, 1);
    EXPECT_EQ(result.hours[15].peak, 1);
    EXPECT_EQ(result.hours[9].peak, 0);
    EXPECT_EQ(result.hours[10].allBusySeconds, 1800u);
    EXPECT_EQ(result.hours[11].allBusySeconds, 0u);
    EXPECT_EQ(result.busyHour, 10);
    // Carried 1 E on 2 ports: A − A·B(A, 2) = 1 holds for A = √2.
    ASSERT_TRUE(result.hours[10].offered);
    EXPECT_NEAR(*result.hours[10].offered, std::sqrt(2.0), 1e-9);
    EXPECT_NEAR(result.hours[10].blocking, 1.0 - 1.0 / std::sqrt(2.0), 1e-9);
    EXPECT_EQ(result.hours[10].portsNeeded, 6);
    EXPECT_EQ(result.hours[3].offered, 0.0);
    EXPECT_EQ(result.hours[3].portsNeeded, 0);
}

TEST_F(CapacityModelTest, SessionLimitCutsEverySessionFromItsStart)
{
    CapacityOptions options;
    options.sessionLimit = 1200;
    const ServerCapacity result = ComputeServerCapacity(m_server, m_twoDays, options);
    // 10:00-10:20, 10:30-10:50 and 10:15-10:35 on the next day.
    EXPECT_DOUBLE_EQ(result.hours[10].carried, 3600.0 / 7200.0);
    EXPECT_DOUBLE_EQ(result.hours[11].carried, 0.0);
    EXPECT_EQ(result.hours[10].peak, 1);
    EXPECT_EQ(result.hours[10].allBusySeconds, 0u);
}

TEST_F(CapacityModelTest, CsvHasTheHeaderAndOneLinePerHour)
{
    const std::vector<std::string> lines =
        Lines(CapacityCsv(ComputeCapacity({m_server}, m_twoDays, {})));
    ASSERT_EQ(lines.size(), 25u);
    EXPECT_EQ(lines[0], "Server,Hour,Carried (E),Peak,All busy (s),Offered (E),Blocking,Ports,Ports needed");
    EXPECT_EQ(lines[1], "SRV,00:00,0.000,0,0,0.000,0.0000,2,0");
    EXPECT_EQ(lines[11], "SRV,10:00,1.000,2,1800,1.414,0.2929,2,6");
    EXPECT_EQ(lines[12], "SRV,11:00,0.250,1,0,0.257,0.0255,2,3");
}

TEST_F(CapacityModelTest, FullPortsLeaveTheOfferedLoadOpen)
{
    // One port busy all day: carried 1 E on 1 port, no load fits.
    const CapacityWindow day(kNov02, kNov02);
    const ServerCapacity result = ComputeServerCapacity({"SRV", 1, {{kNov02 - 600, kNov02 + 86400 + 600}}}, day, {});
    EXPECT_DOUBLE_EQ(result.hours[5].carried, 1.0);
    EXPECT_EQ(result.hours[5].allBusySeconds, 3600u);
    EXPECT_FALSE(result.hours[5].offered);
    EXPECT_EQ(result.hours[5].blocking, 1.0);
    EXPECT_FALSE(result.hours[5].portsNeeded);
    const std::vector<std::string> lines = Lines(CapacityCsv({result}));
    EXPECT_EQ(lines[6], "SRV,05:00,1.000,1,3600,,1.0000,1,");
}

TEST(CapacityWindowTest, TheDayDaylightSavingTimeEndsCountsItsSecondHourTwice)
{
    const CapacityWindow day(kOct25 + 5 * kHour, kOct25 + 5 * kHour);
    EXPECT_EQ(day.Start(), kOct25);
    EXPECT_EQ(day.Days(), 1);
    ASSERT_EQ(day.Pieces(), 25u);
    EXPECT_EQ(day.HourOfPiece(2), 2);
    EXPECT_EQ(day.HourOfPiece(3), 2);
    EXPECT_EQ(day.HourOfPiece(24), 23);
    const ServerCapacity result = ComputeServerCapacity({"SRV", 4, {{kOct25, kOct25 + 25 * kHour}}}, day, {});
    EXPECT_DOUBLE_EQ(result.hours[2].carried, 2.0);
    EXPECT_DOUBLE_EQ(result.hours[3].carried, 1.0);
    // A window over that day and the next counts two days.
    EXPECT_EQ(CapacityWindow(kOct25, kOct25 + 90000).Days(), 2);
}

namespace {

// Second by second over every hour of every day: the busy port-seconds,
// the most at once and the seconds with all ports busy.
struct BruteHour {
    std::uint64_t busy = 0;
    int peak = 0;
    std::uint64_t allBusy = 0;
};

std::array<BruteHour, 24> BruteForce(const std::vector<CapacitySession>& sessions, int ports,
                                     std::uint32_t firstDay, int days)
{
    std::array<BruteHour, 24> hours{};
    for (int d = 0; d < days; ++d) {
        const std::uint32_t dayStart = firstDay + std::uint32_t(d) * 86400; // no clock change in November
        for (std::uint32_t t = dayStart; t < dayStart + 86400; ++t) {
            int count = 0;
            for (const CapacitySession& s : sessions)
                count += s.start <= t && t < s.end;
            BruteHour& h = hours[(t - dayStart) / kHour];
            h.busy += std::uint64_t(count);
            h.peak = std::max(h.peak, count);
            h.allBusy += count >= ports;
        }
    }
    return hours;
}

} // namespace

TEST(CapacityModelRandomTest, AgreesWithASecondBySecondCount)
{
    std::mt19937 random(7);
    std::vector<CapacitySession> sessions;
    // Some reach over the window's start and end, where they are clipped.
    for (int i = 0; i < 40; ++i) {
        const std::uint32_t start = kNov02 - 3 * kHour + std::uint32_t(random() % (2 * 86400 + 6 * kHour));
        sessions.push_back({start, start + 60 + std::uint32_t(random() % (3 * kHour))});
    }
    const CapacityWindow window(kNov02, kNov02 + 86400);
    const int ports = 3;
    const ServerCapacity result = ComputeServerCapacity({"SRV", ports, sessions}, window, {});
    const std::array<BruteHour, 24> expected = BruteForce(sessions, ports, kNov02, 2);
    for (int h = 0; h < 24; ++h) {
        EXPECT_NEAR(result.hours[h].carried, double(expected[h].busy) / (2 * 3600.0), 1e-12) << "hour " << h;
        EXPECT_EQ(result.hours[h].peak, expected[h].peak) << "hour " << h;
        EXPECT_EQ(result.hours[h].allBusySeconds, expected[h].allBusy) << "hour " << h;
    }
}

namespace {

// The session ends of every day file under db, read with plain string
// handling: "[server\port]" sections, "time=Hduration_..." keys.
std::vector<CapacitySession> SessionsOfDayFiles(const std::filesystem::path& db, std::set<std::string>& ports)
{
    std::vector<CapacitySession> sessions;
    for (const auto& entry : std::filesystem::directory_iterator(db / "LogData")) {
        std::ifstream in(entry.path());
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.size() > 2 && line[0] == '[') {
                ports.insert(line.substr(1, line.size() - 2));
                continue;
            }
            const std::size_t equals = line.find('=');
            if (equals == std::string::npos || line.compare(equals + 1, 1, "H") != 0)
                continue;
            const std::uint32_t end = std::uint32_t(std::stoul(line.substr(0, equals)));
            const std::uint32_t duration = std::uint32_t(std::stoul(line.substr(equals + 2)));
            sessions.push_back({end - duration, end});
        }
    }
    return sessions;
}

} // namespace

TEST(CapacityLoadTest, CarriedLoadOfAGeneratedHistoryEqualsTheDayFilesSummedHere)
{
    test::TempDir dir;
    const std::filesystem::path db = dir / "db";
    std::filesystem::create_directories(db);
    test::WriteFile(db / "Dialmind.hw", "[Default]\r\nAssignDefault=1\r\n");
    test::WriteFile(db / "Dialmind.usr", "");
    netemu::ScannedServer server;
    server.name = "RAS1";
    for (int p = 1; p <= 4; ++p)
        server.ports.push_back({"COM" + std::to_string(p), 33600});
    server.component = {true, "\\\\RAS1\\DM_NT_DB", db.string(), 0};
    for (int u = 0; u < 30; ++u) {
        netemu::CallerProfile caller;
        caller.identity.account = "DOM\\user" + std::to_string(u);
        caller.computerName = "PC" + std::to_string(u);
        server.callers.push_back(caller);
    }
    netemu::GenerateOptions options;
    options.days = 4;
    options.endYear = 2026;
    options.endMonth = 11;
    options.endDay = 5;
    options.seed = 11;
    netemu::GenerateReport report;
    std::string error;
    ASSERT_TRUE(netemu::GenerateHistory({server}, options, report, error)) << error;

    // Three whole days inside the generated four; the day after is read too.
    const CapacityWindow window(kNov02 + 86400, kNov02 + 3 * 86400);
    CapacityLoader loader([](std::string_view systemPath) {
        std::string path(systemPath);
        std::replace(path.begin(), path.end(), '\\', '/');
        return std::filesystem::path(path);
    });
    CapacityHistory history;
    std::vector<int> progress;
    ASSERT_TRUE(loader.Load(db.string(), window, "*", history, [&](int done, int total) {
        progress.push_back(done * 100 + total);
        return true;
    }));
    EXPECT_EQ(progress.front(), 4);
    EXPECT_EQ(progress.back(), 404);
    ASSERT_EQ(history.servers.size(), 1u);
    EXPECT_EQ(history.servers[0].name, "RAS1");

    std::set<std::string> sections;
    const std::vector<CapacitySession> logged = SessionsOfDayFiles(db, sections);
    ASSERT_GT(logged.size(), 50u);
    EXPECT_EQ(history.servers[0].ports, int(sections.size()));
    std::array<double, 24> expected{};
    for (const CapacitySession& s : logged) {
        for (int d = 0; d < 3; ++d) {
            for (int h = 0; h < 24; ++h) {
                const std::uint32_t from = window.Start() + std::uint32_t(d) * 86400 + std::uint32_t(h) * kHour;
                const std::uint32_t to = from + kHour;
                if (s.end > from && s.start < to)
                    expected[h] += std::min(s.end, to) - std::max(s.start, from);
            }
        }
    }
    const ServerCapacity result = ComputeServerCapacity(history.servers[0], window, {});
    double total = 0;
    for (int h = 0; h < 24; ++h) {
        EXPECT_NEAR(result.hours[h].carried, expected[h] / (3 * 3600.0), 1e-12) << "hour " << h;
        total += result.hours[h].carried;
    }
    EXPECT_GT(total, 0.5);

    // One server by name, in any case; an unknown one has no sessions.
    ASSERT_TRUE(loader.Load(db.string(), window, "ras1", history));
    EXPECT_EQ(history.servers.size(), 1u);
    ASSERT_TRUE(loader.Load(db.string(), window, "OTHER", history));
    EXPECT_TRUE(history.servers.empty());
    SetInstalledPorts(history, {{"OTHER", 8}});
    ASSERT_EQ(history.servers.size(), 1u);
    EXPECT_EQ(history.servers[0].ports, 8);
    // A server whose ports could not be read keeps what its records name.
    ASSERT_TRUE(loader.Load(db.string(), window, "*", history));
    SetInstalledPorts(history, {{"ras1", 0}});
    EXPECT_EQ(history.servers[0].ports, int(sections.size()));
    SetInstalledPorts(history, {{"ras1", 16}});
    EXPECT_EQ(history.servers[0].ports, 16);
    // A cancelled load says so.
    EXPECT_FALSE(loader.Load(db.string(), window, "*", history, [](int done, int) { return done < 2; }));
}

namespace {

TEST(CapacityLoadTest, ADayFileThatCannotBeReadIsListedNotTakenForAQuietDay)
{
    test::TempDir dir;
    const std::filesystem::path db = dir / "db";
    const CapacityWindow window(kNov02, kNov02 + 86400);
    const std::string first = DayLogPath(db.string(), window.Start());
    const std::string second = DayLogPath(db.string(), AddLocalDays(window.Start(), 1));
    const auto local = [](std::string_view systemPath) {
        std::string path(systemPath);
        std::replace(path.begin(), path.end(), '\\', '/');
        return std::filesystem::path(path);
    };
    std::filesystem::create_directories(local(first));
    test::WriteFile(local(second), "[RAS1\\COM1]\r\n" + std::to_string(kNov02 + 86400 + 60) + "=C_DOM\\anna\r\n");
    CapacityHistory history;
    ASSERT_TRUE(CapacityLoader(local).Load(db.string(), window, "*", history));
    EXPECT_EQ(history.unreadable, std::vector<std::string>{first});
    EXPECT_EQ(history.filesRead, 1u);
}

} // namespace
