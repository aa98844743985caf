// The usage statistics: where sessions land in the occupancy bitmap, the
// percentages, the bars drawn from the bitmap and the exported text.

#include "manager/core/usagestatistics.h"

#include <gtest/gtest.h>

#include <set>

namespace dm {
namespace {

constexpr std::uint32_t kStart = 1'000'000'000;

LogRecord Session(const std::string& server, const std::string& port, std::uint32_t end, std::int32_t duration)
{
    LogRecord record;
    record.server = server;
    record.port = port;
    record.time = end;
    record.duration = duration;
    record.kind = kLogSessionEnd;
    return record;
}

std::set<int> BusySlots(const UsageEntry& entry)
{
    std::set<int> slots;
    for (int slot = 0; slot < kUsageSlots; ++slot)
        if (entry.SlotBusy(slot))
            slots.insert(slot);
    return slots;
}

std::set<int> Range(int first, int last)
{
    std::set<int> slots;
    for (int slot = first; slot < last; ++slot)
        slots.insert(slot);
    return slots;
}

class UsageStatisticsTest : public ::testing::Test {
protected:
    // A window of 32,000 s: ten seconds to a slot.
    TimeSpan m_window{kStart, kStart + 32000};
    UsageStatistics m_stats;
};

TEST_F(UsageStatisticsTest, SessionsCrossingTheWindowEdgesAreClippedToIt)
{
    m_stats.SetEntries({"RAS1\\COM1"});
    m_stats.Compute({Session("RAS1", "COM1", kStart + 50, 200),           // began before the window
                     Session("RAS1", "COM1", kStart + 32500, 600)},       // ends after it
                    m_window);
    const UsageEntry& entry = m_stats.Entries()[0];
    std::set<int> expected = Range(0, 5);
    expected.merge(Range(3190, 3200));
    EXPECT_EQ(BusySlots(entry), expected);
    // Only the time inside the window counts.
    EXPECT_EQ(entry.busySeconds, 150u);
}

TEST_F(UsageStatisticsTest, SessionsOutsideTheWindowAndOtherEventsAreIgnored)
{
    LogRecord connect = Session("RAS1", "COM1", kStart + 1000, 0);
    connect.kind = kLogConnect;
    LogRecord denied = Session("RAS1", "COM1", kStart + 1000, 500);
    denied.kind = kLogDenied;
    m_stats.SetEntries({"RAS1\\COM1"});
    m_stats.Compute({connect, denied, Session("RAS1", "COM1", kStart, 300),
                     Session("RAS1", "COM1", kStart + 32600, 500), Session("RAS1", "COM2", kStart + 900, 800),
                     Session("RAS2", "COM1", kStart + 900, 800)},
                    m_window);
    EXPECT_TRUE(BusySlots(m_stats.Entries()[0]).empty());
    EXPECT_EQ(m_stats.Entries()[0].busySeconds, 0u);
    EXPECT_EQ(m_stats.BusyPercent(0), 0);
    EXPECT_EQ(m_stats.FreePercent(0), 100);
}

TEST_F(UsageStatisticsTest, BackToBackSessionsShareTheirEdgeSlotAndLeaveNeighboursAlone)
{
    // Twenty seconds to a slot; both sessions touch slot 10 (200 to 220 s).
    const TimeSpan window{kStart, kStart + 64000};
    m_stats.SetEntries({"RAS1\\COM1"});
    m_stats.Compute({Session("RAS1", "COM1", kStart + 205, 105), Session("RAS1", "COM1", kStart + 300, 95)},
                    window);
    EXPECT_EQ(BusySlots(m_stats.Entries()[0]), Range(5, 15));
    EXPECT_EQ(m_stats.Entries()[0].busySeconds, 200u);
}

TEST_F(UsageStatisticsTest, PortsMatchWithoutRegardToCaseAndSharedLabelsEachGetTheSessions)
{
    m_stats.SetEntries({"RAS1\\COM1", "ras1\\com2", "RAS1\\COM1"});
    m_stats.Compute({Session("ras1", "com1", kStart + 3200, 3200), Session("RAS1", "COM2", kStart + 16000, 16000)},
                    m_window);
    EXPECT_EQ(BusySlots(m_stats.Entries()[0]), Range(0, 320));
    EXPECT_EQ(BusySlots(m_stats.Entries()[2]), Range(0, 320));
    EXPECT_EQ(m_stats.BusyPercent(0), 10);
    EXPECT_EQ(m_stats.BusyPercent(1), 50);
    EXPECT_EQ(m_stats.FreePercent(1), 50);
}

TEST_F(UsageStatisticsTest, PercentagesOfLongWindowsDoNotOverflowAndFreeNeverDropsBelowZero)
{
    // 600 days: busy time x 100 needs more than 32 bits.
    const std::uint32_t days600 = 600u * 86400u;
    const TimeSpan window{kStart, kStart + days600};
    m_stats.SetEntries({"RAS1\\COM1", "RAS1\\COM2"});
    // COM1 busy for the whole window; COM2 logs the same session twice.
    m_stats.Compute({Session("RAS1", "COM1", kStart + days600, static_cast<std::int32_t>(days600)),
                     Session("RAS1", "COM2", kStart + days600 / 2, static_cast<std::int32_t>(days600 / 2)),
                     Session("RAS1", "COM2", kStart + days600 / 2, static_cast<std::int32_t>(days600 / 2)),
                     Session("RAS1", "COM2", kStart + days600 / 2 + 10, static_cast<std::int32_t>(days600 / 2))},
                    window);
    EXPECT_EQ(m_stats.BusyPercent(0), 100);
    EXPECT_EQ(m_stats.FreePercent(0), 0);
    EXPECT_EQ(m_stats.BusyPercent(1), 100);
    EXPECT_EQ(m_stats.FreePercent(1), 0);
}

TEST_F(UsageStatisticsTest, AWindowUnderOneSlotSecondStillPlacesItsSessions)
{
    // 1,000 s: less than a second to a slot.
    const TimeSpan window{kStart, kStart + 1000};
    m_stats.SetEntries({"RAS1\\COM1"});
    m_stats.Compute({Session("RAS1", "COM1", kStart + 500, 250)}, window);
    EXPECT_EQ(BusySlots(m_stats.Entries()[0]), Range(800, 1600));
    EXPECT_EQ(m_stats.BusyPercent(0), 25);
}

TEST_F(UsageStatisticsTest, AnEmptyWindowCountsNothingAndShortOrBrokenRecordsStayInside)
{
    m_stats.SetEntries({"RAS1\\COM1"});
    m_stats.Compute({Session("RAS1", "COM1", kStart, 100)}, TimeSpan{kStart, kStart});
    EXPECT_EQ(m_stats.BusyPercent(0), 0);
    EXPECT_EQ(m_stats.FreePercent(0), 100);

    // A session of no length marks its slot; a negative duration counts as none;
    // a duration reaching before 1970 is clipped like any other.
    m_stats.Compute({Session("RAS1", "COM1", kStart + 1005, 0), Session("RAS1", "COM1", kStart + 2005, -50),
                     Session("RAS1", "COM1", kStart + 10, 2'000'000'000)},
                    m_window);
    EXPECT_EQ(BusySlots(m_stats.Entries()[0]), (std::set<int>{0, 100, 200}));
    EXPECT_EQ(m_stats.Entries()[0].busySeconds, 10u);
}

TEST_F(UsageStatisticsTest, ProgressReportsEveryEntryInRowOrder)
{
    m_stats.SetEntries({"A\\1", "A\\2", "B\\1"});
    std::vector<std::pair<std::size_t, std::string>> reports;
    m_stats.Compute({}, m_window, [&](std::size_t done, const std::string& label) { reports.emplace_back(done, label); });
    EXPECT_EQ(reports, (std::vector<std::pair<std::size_t, std::string>>{{1, "A\\1"}, {2, "A\\2"}, {3, "B\\1"}}));
    EXPECT_TRUE(m_stats.Computed());
    m_stats.Invalidate();
    EXPECT_FALSE(m_stats.Computed());
}

TEST(UsageBarTest, ColumnsShareTheSlotsEvenlyForAnyWidth)
{
    for (int inner : {1, 297, 1000, 3200, 5000}) {
        int expectedFirst = 0;
        for (int column = 0; column < inner; ++column) {
            int first = 0, last = 0;
            BarColumnSlots(column, inner, first, last);
            ASSERT_LT(first, last) << inner << " " << column;
            if (inner <= kUsageSlots) {
                // Contiguous, no slot drawn twice, none left out.
                ASSERT_EQ(first, expectedFirst) << inner << " " << column;
                expectedFirst = last;
            }
        }
        if (inner <= kUsageSlots) {
            EXPECT_EQ(expectedFirst, kUsageSlots) << inner;
        }
    }
    int first = 0, last = 0;
    BarColumnSlots(5, 297, first, last);
    EXPECT_EQ(last - first, 11);
    BarColumnSlots(17, 3200, first, last);
    EXPECT_EQ(std::make_pair(first, last), std::make_pair(17, 18));
}

TEST(UsageBarTest, BarHasBlackEndsHatchedIdleAndGreenWhereverASlotIsBusy)
{
    UsageStatistics stats;
    stats.SetEntries({"RAS1\\COM1"});
    // Busy in the first and the last slot only.
    stats.Compute({Session("RAS1", "COM1", kStart + 10, 10), Session("RAS1", "COM1", kStart + 32000, 10)},
                  TimeSpan{kStart, kStart + 32000});
    for (int cellWidth : {300, 3203, 4000}) {
        std::vector<BarColumn> bar;
        stats.Bar(0, cellWidth, bar);
        ASSERT_EQ(static_cast<int>(bar.size()), cellWidth - 1);
        EXPECT_EQ(bar.front(), BarColumn::End);
        EXPECT_EQ(bar.back(), BarColumn::End);
        EXPECT_EQ(bar[1], BarColumn::Busy) << cellWidth;
        EXPECT_EQ(bar[bar.size() - 2], BarColumn::Busy) << cellWidth;
        // Idle columns: every third one, counted from the left end, is left out.
        EXPECT_EQ(bar[3], BarColumn::Gap);
        EXPECT_EQ(bar[4], BarColumn::Idle);
        EXPECT_EQ(bar[5], BarColumn::Idle);
        EXPECT_EQ(bar[6], BarColumn::Gap);
    }
    std::vector<BarColumn> tiny;
    stats.Bar(0, 3, tiny);
    EXPECT_EQ(tiny, (std::vector<BarColumn>{BarColumn::End, BarColumn::End}));
}

TEST(UsageCsvTest, ExportWritesTheHeaderAndTheChosenRowsOnly)
{
    UsageStatistics stats;
    stats.SetEntries({"RAS1\\COM1", "RAS1\\COM2", "RAS2\\COM1"});
    stats.Compute({Session("RAS1", "COM2", kStart + 2500, 2500)}, TimeSpan{kStart, kStart + 10000});
    EXPECT_EQ(stats.CsvText(std::vector<std::size_t>{}), "Item,Free(%),Busy(%)\n");
    EXPECT_EQ(stats.CsvText(std::vector<std::size_t>{1, 2}), "Item,Free(%),Busy(%)\nRAS1\\COM2,75,25\nRAS2\\COM1,100,0\n");
    EXPECT_EQ(stats.CsvText(), "Item,Free(%),Busy(%)\nRAS1\\COM1,100,0\nRAS1\\COM2,75,25\nRAS2\\COM1,100,0\n");
}

} // namespace
} // namespace dm

namespace dm {
namespace {

LogRecord Connect(const std::string& server, const std::string& port, std::uint32_t time)
{
    LogRecord record;
    record.server = server;
    record.port = port;
    record.time = time;
    record.kind = kLogConnect;
    return record;
}

TEST_F(UsageStatisticsTest, ASessionStillInProgressIsBusyUpToNow)
{
    m_stats.SetEntries({"RAS1\\COM1", "RAS1\\COM2", "RAS1\\COM3", "RAS1\\COM4"});
    const std::vector<LogRecord> records{
        Connect("RAS1", "COM1", kStart + 1000),                                          // still running
        Connect("ras1", "com2", kStart + 1000), Session("RAS1", "COM2", kStart + 2000, 1000), // ended
        Connect("RAS1", "COM3", kStart + 100), Connect("RAS1", "COM3", kStart + 16000),  // the later one runs
        Connect("RAS1", "COM4", kStart + 20000),                                         // after now
    };
    const std::uint32_t now = kStart + 16000;
    m_stats.Compute(records, m_window, {}, now);
    EXPECT_EQ(m_stats.Entries()[0].busySeconds, 15000u);
    EXPECT_EQ(BusySlots(m_stats.Entries()[0]), Range(100, 1600));
    EXPECT_EQ(m_stats.Entries()[1].busySeconds, 1000u);
    // A connect that another connect follows has no known end: not counted.
    EXPECT_EQ(m_stats.Entries()[2].busySeconds, 0u);
    EXPECT_EQ(m_stats.Entries()[3].busySeconds, 0u);
    EXPECT_EQ(m_stats.BusyPercent(0), 46);

    // Without a time to count up to (the days read end before now) only
    // finished sessions count.
    m_stats.Compute(records, m_window, {}, 0);
    EXPECT_EQ(m_stats.Entries()[0].busySeconds, 0u);
    EXPECT_EQ(m_stats.Entries()[1].busySeconds, 1000u);
    // Now past the window's end: busy to the window's end only.
    m_stats.Compute(records, m_window, {}, kStart + 90000);
    EXPECT_EQ(m_stats.Entries()[0].busySeconds, 31000u);
}

} // namespace
} // namespace dm
