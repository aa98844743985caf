// The printed report's rows and page plan, without a printer.

#include "common/timeformat.h"
#include "reports/printedreport.h"
#include "reports/reportrun.h"
#include "tests/reports/reportdatabase.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace dm;
using namespace dm::test;
using Row = std::array<std::string, 3>;
using ::testing::ElementsAre;

namespace {

std::optional<PrintedReport> Printed(const TempDir& dir, const std::string& text)
{
    const std::string file = (dir / "dmtemp.dat").string();
    WriteFile(file, text);
    return ReadPrintedReport(file);
}

} // namespace

TEST(PrintedReport, UsageRowsShowDurationsAndSessions)
{
    TempDir dir;
    const auto report = Printed(dir, "[Format]\r\nReportType=1\r\nTimePeriodType=4\r\n"
                                     "[Users]\r\nDOM\\joe=3725\r\nDOM\\ann=59\r\n"
                                     "[Users2]\r\nDOM\\joe=2\r\n");
    ASSERT_TRUE(report);
    EXPECT_EQ(report->title, "Dialminder Report: Usage time per User.");
    EXPECT_EQ(report->periodLine, "Based on all available records. No period specified.");
    EXPECT_EQ(report->headings, (Row{"User Account", "Usage (HH\"MM'SS)", "Sessions"}));
    EXPECT_THAT(report->rows, ElementsAre(Row{"DOM\\joe", "1\" 2' 5", "2"},
                                          Row{"DOM\\ann", "0\" 0' 59", "0"}));
}

TEST(PrintedReport, DeniedAndBusyRows)
{
    TempDir dir;
    const std::uint32_t t = LocalTimeOf(2026, 3, 18, 10, 30, 0);
    auto denied = Printed(dir, "[Format]\r\nReportType=3\r\nTimePeriodType=5\r\nFrom=a\r\nTo=b\r\n"
                               "[Denied Connections]\r\nREC0=" + std::to_string(t) +
                                   "?RAS2\\COM1?DOM\\eve\r\nREC5=" + std::to_string(t) +
                                   "?RAS1\\COM1?DOM\\bob\r\n");
    ASSERT_TRUE(denied);
    EXPECT_EQ(denied->periodLine, "Data from a until b.");
    EXPECT_EQ(denied->headings, (Row{"Time", "User Account", "Port"}));
    // Printing walks the section in file order, gaps and all.
    EXPECT_THAT(denied->rows, ElementsAre(Row{"03/18/26 10:30", "DOM\\eve", "RAS2\\COM1"},
                                          Row{"03/18/26 10:30", "DOM\\bob", "RAS1\\COM1"}));

    auto busy = Printed(dir, "[Format]\r\nReportType=4\r\nTimePeriodType=1\r\nFrom=x\r\nTo=y\r\n"
                             "[RAS1]\r\n" + std::to_string(t) + "=3\r\n" + std::to_string(t + 60) +
                                 "=*\r\n[RAS2]\r\n" + std::to_string(t) + "=\r\n" +
                                 std::to_string(t + 3600) + "=07\r\n");
    ASSERT_TRUE(busy);
    EXPECT_EQ(busy->headings, (Row{"Server", "Time", "Busy Ports"}));
    EXPECT_THAT(busy->rows, ElementsAre(Row{"RAS1", "03/18/26 10:30", "3"},
                                        Row{"RAS2", "03/18/26 11:30", "07"}));
}

TEST(PrintedReport, NothingToPrintWithoutPeriodTypeOrKnownReportType)
{
    TempDir dir;
    EXPECT_FALSE(Printed(dir, "[Format]\r\nReportType=1\r\n[Users]\r\nx=1\r\n"));
    EXPECT_FALSE(Printed(dir, "[Format]\r\nReportType=5\r\nTimePeriodType=4\r\n"));
    EXPECT_FALSE(Printed(dir, ""));
}

TEST(PagePlan, HeadingBlockAndRowSpacing)
{
    PageMetrics metrics;
    metrics.width = 1000;
    metrics.height = 1500;
    metrics.resolution = 1160; // title 50, heading 20, body 17
    EXPECT_EQ(metrics.TitleHeight(), 50);
    EXPECT_EQ(metrics.HeadingHeight(), 20);
    EXPECT_EQ(metrics.BodyHeight(), 17);
    EXPECT_EQ(metrics.TitleWidth(), 20);
    EXPECT_EQ(metrics.HeadingWidth(), 12);
    EXPECT_EQ(metrics.BodyWidth(), 11);
    EXPECT_EQ(metrics.Columns(), (std::array<int, 3>{0, 333, 666}));

    EXPECT_TRUE(PlanPages(metrics, 0).empty());
    const auto one = PlanPages(metrics, 2);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].periodY, 50);
    EXPECT_EQ(one[0].pageNumberY, 70);
    EXPECT_EQ(one[0].headingsY, 110);
    EXPECT_EQ(one[0].ruleY, 130);
    ASSERT_EQ(one[0].rows.size(), 2u);
    EXPECT_EQ(one[0].rows[0].y, 160);
    EXPECT_EQ(one[0].rows[1].y, 180);
}

TEST(PagePlan, NewPageWhenARowPassesTheBottomMargin)
{
    PageMetrics metrics{1000, 1500, 1160};
    // Rows at 160, 180, ... 1440: after the row at 1440, y = 1460 > 1450.
    const auto full = PlanPages(metrics, 65);
    ASSERT_EQ(full.size(), 1u);
    EXPECT_EQ(full[0].rows.back().y, 1440);

    const auto two = PlanPages(metrics, 66);
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[1].number, 2);
    ASSERT_EQ(two[1].rows.size(), 1u);
    EXPECT_EQ(two[1].rows[0].index, 65u);
    EXPECT_EQ(two[1].rows[0].y, 160); // below a full heading block again
    EXPECT_EQ(two[1].ruleY, 130);

    metrics.height = 1510; // H - 50 = 1460: a row may still start at 1460
    EXPECT_EQ(PlanPages(metrics, 66).size(), 1u);
    EXPECT_EQ(PlanPages(metrics, 67).size(), 2u);
}
