// The usage graph's time window: stepping, zooming, the rubber band and
// zoom back, and the rows the graph lists.

#include "manager/core/usagerows.h"
#include "manager/core/usagewindow.h"

#include <gtest/gtest.h>

namespace dm {
namespace {

constexpr std::uint32_t kDay = 86400;
// A local midnight is not needed: the window works in plain seconds.
constexpr std::uint32_t kToday = 1'700'000'000;
constexpr std::uint32_t kScope = kToday - 40 * kDay;

class UsageWindowTest : public ::testing::Test {
protected:
    void SetUp() override { m_window.ResetAfterLoad(kToday, kToday + kDay - 1, kScope); }
    UsageWindow m_window;
};

TEST_F(UsageWindowTest, ALoadShowsTodayByDayFromTheEarliestRecord)
{
    m_window.ZoomBy(ZoomMonth);
    m_window.ResetAfterLoad(kToday, kToday + kDay - 1, kScope);
    EXPECT_EQ(m_window.Resolve(0), (TimeSpan{kToday, kToday + kDay - 1}));
    EXPECT_EQ(m_window.Unit(), ZoomDay);
    EXPECT_EQ(m_window.ScopeStart(), kScope);
}

TEST_F(UsageWindowTest, ZoomingByAUnitShowsTheUnitBeforeTheWindowAndStepsMoveByIt)
{
    m_window.ZoomBy(ZoomWeek);
    EXPECT_EQ(m_window.Resolve(0), (TimeSpan{kToday - 7 * kDay, kToday}));
    EXPECT_EQ(m_window.Unit(), ZoomWeek);

    m_window.ZoomBy(ZoomDay);
    EXPECT_EQ(m_window.Resolve(0), (TimeSpan{kToday - 8 * kDay, kToday - 7 * kDay}));
    EXPECT_TRUE(m_window.StepForward());
    EXPECT_EQ(m_window.Resolve(0), (TimeSpan{kToday - 7 * kDay, kToday - 6 * kDay}));
    m_window.ZoomBy(ZoomHour);
    EXPECT_EQ(m_window.Resolve(0), (TimeSpan{kToday - 7 * kDay - 3600, kToday - 7 * kDay}));
    m_window.ZoomBy(ZoomMonth);
    EXPECT_EQ(m_window.Resolve(0).Length(), 2592000u);

    m_window.ViewToday(kToday, kToday + kDay - 1);
    EXPECT_EQ(m_window.Resolve(0), (TimeSpan{kToday, kToday + kDay - 1}));
    EXPECT_EQ(m_window.Unit(), ZoomDay);
}

TEST_F(UsageWindowTest, StepsThatWouldLeaveTheCalendarAreNotTaken)
{
    m_window.Set(100, 200);
    EXPECT_FALSE(m_window.StepBack());
    EXPECT_EQ(m_window.Resolve(0), (TimeSpan{100, 200}));
    m_window.Set(0xFFFF0000u, 0xFFFFFF00u);
    EXPECT_FALSE(m_window.StepForward());
    EXPECT_EQ(m_window.Start(), 0xFFFF0000u);
}

TEST_F(UsageWindowTest, OpenEndsMeanTheScopeStartAndNowAndNowIsKept)
{
    m_window.Set(0, 0);
    EXPECT_EQ(m_window.Resolve(kToday + 500), (TimeSpan{kScope, kToday + 500}));
    EXPECT_EQ(m_window.End(), kToday + 500);
    EXPECT_EQ(m_window.Resolve(kToday + 900).end, kToday + 500);
}

TEST_F(UsageWindowTest, ResetSpanCoversTheScopeAndZoomBackReturnsOnce)
{
    EXPECT_FALSE(m_window.ZoomBack());
    m_window.ResetSpan(kToday + 1000);
    EXPECT_EQ(m_window.Resolve(0), (TimeSpan{kScope, kToday + 1000}));
    ASSERT_TRUE(m_window.ZoomBackAvailable());
    EXPECT_TRUE(m_window.ZoomBack());
    EXPECT_EQ(m_window.Resolve(0), (TimeSpan{kToday, kToday + kDay - 1}));
    EXPECT_FALSE(m_window.ZoomBackAvailable());
    EXPECT_FALSE(m_window.ZoomBack());
}

TEST_F(UsageWindowTest, DraggingAcrossTheGraphNarrowsTheWindowToThatPart)
{
    m_window.Set(kToday, kToday + kDay);
    // Either direction of the drag gives the same window.
    EXPECT_EQ(m_window.ApplyBand(m_window.Resolve(0), 300, 100, 400, kToday), UsageWindow::BandResult::Applied);
    EXPECT_EQ(m_window.Resolve(0), (TimeSpan{kToday + kDay / 4, kToday + 3 * kDay / 4}));
    EXPECT_TRUE(m_window.ZoomBack());
    EXPECT_EQ(m_window.Resolve(0), (TimeSpan{kToday, kToday + kDay}));
}

TEST_F(UsageWindowTest, DraggingUnderAnHourIsTooNarrowAndZoomBackKeepsThePreviousWindow)
{
    m_window.Set(kToday, kToday + kDay);
    // 24 pixels of 576 are exactly one hour: not wider than an hour.
    EXPECT_EQ(m_window.ApplyBand(m_window.Resolve(0), 100, 124, 576, kToday), UsageWindow::BandResult::TooNarrow);
    EXPECT_EQ(m_window.Resolve(0), (TimeSpan{kToday, kToday + kDay}));
    EXPECT_TRUE(m_window.ZoomBack());
    EXPECT_EQ(m_window.Resolve(0), (TimeSpan{kToday, kToday + kDay}));
    EXPECT_EQ(m_window.ApplyBand(m_window.Resolve(0), 100, 125, 576, kToday), UsageWindow::BandResult::Applied);
}

TEST_F(UsageWindowTest, DraggingInAWindowUnderAnHourShowsTheWholeScope)
{
    m_window.Set(kToday, kToday + 1800);
    EXPECT_EQ(m_window.ApplyBand(m_window.Resolve(0), 0, 300, 300, kToday + 5000), UsageWindow::BandResult::Reset);
    EXPECT_EQ(m_window.Resolve(0), (TimeSpan{kScope, kToday + 5000}));
}

TEST_F(UsageWindowTest, ABandBeforeTheScopeZoomsToTheTimesUnderIt)
{
    // A window that begins before the earliest loaded record: the band maps
    // onto the window the bars were drawn for, not onto one cut at the scope.
    m_window.Set(kScope - 10 * kDay, kScope + 10 * kDay);
    const TimeSpan shown = m_window.Resolve(0);
    EXPECT_EQ(m_window.ApplyBand(shown, 25, 50, 100, kToday), UsageWindow::BandResult::Applied);
    EXPECT_EQ(m_window.Resolve(0), (TimeSpan{kScope - 5 * kDay, kScope}));
    // The ends are the times the tooltips name at the band's edges.
    m_window.Set(kScope - 10 * kDay, kScope + 10 * kDay);
    EXPECT_EQ(m_window.ApplyBand(shown, 137, 411, 548, kToday), UsageWindow::BandResult::Applied);
    EXPECT_EQ(m_window.Resolve(0),
              (TimeSpan{UsageWindow::TimeAt(shown, 137, 548), UsageWindow::TimeAt(shown, 411, 548)}));
}

TEST_F(UsageWindowTest, ABandMapsOntoTheWindowDrawnNotAWindowChangedSince)
{
    // The bars were drawn for yesterday; the stored window has moved on
    // (an end of 0 resolving to now): the drag still names yesterday's hours.
    const TimeSpan drawn{kToday - kDay, kToday};
    m_window.Set(kToday, 0);
    EXPECT_EQ(m_window.ApplyBand(drawn, 50, 75, 100, kToday + 7200), UsageWindow::BandResult::Applied);
    EXPECT_EQ(m_window.Resolve(0), (TimeSpan{kToday - kDay / 2, kToday - kDay / 4}));
}

TEST(UsageTimeAtTest, TheTimeUnderTheCursorIsProportionalToItsOffset)
{
    const TimeSpan window{1000, 1000 + 86400};
    EXPECT_EQ(UsageWindow::TimeAt(window, 0, 300), 1000u);
    EXPECT_EQ(UsageWindow::TimeAt(window, 150, 300), 1000u + 43200u);
    EXPECT_EQ(UsageWindow::TimeAt(window, 300, 300), 1000u + 86400u);
    EXPECT_EQ(UsageWindow::TimeAt(window, 999, 300), 1000u + 86400u);
    EXPECT_EQ(UsageWindow::TimeAt(window, 10, 0), 1000u);
}

ServerEntry Server(const std::string& name, const std::vector<std::string>& ports)
{
    ServerEntry server;
    server.name = name;
    for (const std::string& port : ports)
        server.slots.push_back(PortSlot{port, "", 0, SlotState::NoUser});
    server.portCount = static_cast<int>(ports.size());
    return server;
}

TEST(UsageRowsTest, RowsFollowTheTreeSelection)
{
    std::vector<ServerEntry> servers{Server("RAS1", {"COM1", "COM2"}), Server("RAS2", {"COM1"})};
    // A slot beyond the port count is no port.
    servers[1].slots.push_back(PortSlot{"COM9", "", 0, SlotState::NoUser});
    const PortList ports = MonitoredPorts(servers);

    Selection selection;
    EXPECT_EQ(UsageLabels(ports, UsageFilter::FromSelection(selection, KindServer)),
              (std::vector<std::string>{"RAS1\\COM1", "RAS1\\COM2", "RAS2\\COM1"}));
    selection.server = "ras2";
    EXPECT_EQ(UsageLabels(ports, UsageFilter::FromSelection(selection, KindServer)),
              (std::vector<std::string>{"RAS2\\COM1"}));
    selection.server = "RAS2";
    selection.port = "COM7";
    EXPECT_EQ(UsageLabels(ports, UsageFilter::FromSelection(selection, KindPort)),
              (std::vector<std::string>{"RAS2\\COM7"}));

    // A user, group or domain node (with all servers) lists nothing.
    Selection user;
    user.user = "joe";
    user.domain = "OSTERHALL";
    EXPECT_TRUE(UsageLabels(ports, UsageFilter::FromSelection(user, KindAccount)).empty());
    Selection root;
    root.accountsRootSelected = true;
    EXPECT_TRUE(UsageLabels(ports, UsageFilter::FromSelection(root, KindAccount)).empty());
}

TEST(UsageRowsTest, MoreThanAThousandPortsAreAllListed)
{
    std::vector<std::string> names;
    for (int i = 0; i < 1200; ++i)
        names.push_back("COM" + std::to_string(i + 1));
    const std::vector<std::string> labels = UsageLabels(MonitoredPorts({Server("BIG", names)}), UsageFilter());
    ASSERT_EQ(labels.size(), 1200u);
    EXPECT_EQ(labels.back(), "BIG\\COM1200");
}

TEST(UsageRowsTest, RecordsNameEachPortOnceInLabelOrderWithinTheDays)
{
    auto record = [](const std::string& server, const std::string& port, std::uint32_t time) {
        LogRecord r;
        r.server = server;
        r.port = port;
        r.time = time;
        return r;
    };
    const std::vector<LogRecord> records{record("RAS2", "COM1", 100), record("RAS1", "COM2", 150),
                                         record("ras2", "com1", 160), record("RAS1", "COM1", 200),
                                         record("RAS3", "COM1", 99), record("RAS4", "COM1", 301)};
    EXPECT_EQ(PortsOfRecords(records, 100, 300),
              (PortList{{"RAS1", "COM1"}, {"RAS1", "COM2"}, {"RAS2", "COM1"}}));
}

} // namespace
} // namespace dm
