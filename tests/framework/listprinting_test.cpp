// The shared list printing: page arithmetic in twips, and a printout on PDF.

#include "framework/listpagelayout.h"
#include "framework/listprinter.h"
#include "tests/support/pdftext.h"
#include "tests/support/tempdir.h"

#include <QPrinter>
#include <QStandardItemModel>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>

using namespace dm;

namespace {

ListPageLayout A4Layout()
{
    ListPageLayout layout;
    layout.pageWidth = ListPageLayout::MillimetresToTwips(200);
    layout.pageHeight = ListPageLayout::MillimetresToTwips(287);
    layout.bannerLine = 80;
    layout.boldLine = 280;
    layout.rowLine = 230;
    return layout;
}

} // namespace

TEST(ListPageLayout, RowsPerPageAndPagesCoverEveryRowOnce)
{
    const ListPageLayout layout = A4Layout();
    EXPECT_EQ(layout.pageHeight, 16270);
    EXPECT_EQ(layout.RowsPerPage(), (16270 - 2000) / 230);
    EXPECT_EQ(layout.PageCount(0), 0);
    EXPECT_EQ(layout.PageCount(layout.RowsPerPage()), 1);
    EXPECT_EQ(layout.PageCount(layout.RowsPerPage() + 1), 2);

    const int rows = 3 * layout.RowsPerPage() + 5;
    std::vector<int> printed(static_cast<size_t>(rows), 0);
    for (int page = 1; page <= layout.PageCount(rows); ++page) {
        for (int row = layout.FirstRow(page); row < layout.EndRow(page, rows); ++row) {
            ++printed[static_cast<size_t>(row)];
            // Every row the page is given lies on it.
            EXPECT_LE(layout.RowY(row - layout.FirstRow(page)) + layout.rowLine, layout.pageHeight);
        }
    }
    EXPECT_EQ(std::count(printed.begin(), printed.end(), 1), rows);
}

TEST(ListPageLayout, TallHeadersAndTinyPagesStillPrintEachRowOnce)
{
    ListPageLayout layout = A4Layout();
    layout.boldLine = 900; // a header block taller than the 2000 twips set aside
    ASSERT_GT(layout.RowsTop(), ListPageLayout::kReservedHeight);
    EXPECT_EQ(layout.RowsPerPage(), (layout.pageHeight - layout.RowsTop()) / layout.rowLine);
    EXPECT_LE(layout.RowY(layout.RowsPerPage() - 1) + layout.rowLine, layout.pageHeight);

    layout.pageHeight = 500;
    EXPECT_EQ(layout.RowsPerPage(), 1);
    EXPECT_EQ(layout.PageCount(7), 7);
    layout.rowLine = 0;
    EXPECT_EQ(layout.RowsPerPage(), 1);
}

TEST(PaperColumns, EachColumnIsAsWideAsItsTextOrTheTypeGetsSmaller)
{
    constexpr int gap = PaperColumns::kGap;
    // Room to spare: full-size type, each column its text plus a gap.
    PaperColumns fit = PaperColumns::Fit({1000, 3000, 500}, 10000);
    EXPECT_DOUBLE_EQ(fit.scale, 1.0);
    EXPECT_TRUE(fit.whole);
    EXPECT_EQ(fit.x, (std::vector<int>{0, 1000 + gap, 4000 + 2 * gap}));
    EXPECT_EQ(fit.room, (std::vector<int>{1000, 3000, 500}));
    EXPECT_EQ(PaperColumns::FullWidth({1000, 3000, 500}), 4500 + 3 * gap);

    // Twice as wide as the page: the type shrinks until the last column
    // ends at the page's right edge, all text whole.
    const int page = static_cast<int>(PaperColumns::FullWidth({4000, 6000}) * 0.75);
    fit = PaperColumns::Fit({4000, 6000}, page);
    EXPECT_NEAR(fit.scale, 0.75, 1e-9);
    EXPECT_TRUE(fit.whole);
    EXPECT_NEAR(fit.x[1] + fit.room[1] + gap * fit.scale, page, 2.0);
    EXPECT_GE(fit.room[0], static_cast<int>(4000 * 0.75));

    // Past the smallest type: shortened cells, every column still on the page.
    fit = PaperColumns::Fit({20000, 20000, 20000}, 10000);
    EXPECT_DOUBLE_EQ(fit.scale, PaperColumns::kSmallestScale);
    EXPECT_FALSE(fit.whole);
    ASSERT_EQ(fit.x.size(), 3u);
    EXPECT_LT(fit.x[2] + fit.room[2], 10000 + 1);
    EXPECT_EQ(fit.x[1] - fit.x[0], fit.x[2] - fit.x[1]);
    EXPECT_TRUE(PaperColumns::Fit({}, 10000).x.empty());
}

TEST(ListPageLayout, TheRuleEndsAtThePageOrTheFixedEnd)
{
    ListPageLayout layout = A4Layout();
    layout.pageWidth = 10000;
    EXPECT_EQ(layout.RuleEnd(), 10000);
    layout.pageWidth = 30000;
    EXPECT_EQ(layout.RuleEnd(), ListPageLayout::kRuleEnd);
}

TEST(ListPrinter, PrintsEveryRowOnceOnThePagesTheLayoutCounts)
{
    test::TempDir dir;
    const std::string pdf = (dir / "list.pdf").string();
    QStandardItemModel model(0, 2);
    const int rows = 130;
    for (int i = 0; i < rows; ++i)
        model.appendRow({new QStandardItem(QStringLiteral("row%1x").arg(i, 3, 10, QLatin1Char('0'))),
                         new QStandardItem(QStringLiteral("second"))});
    ListPrintout printout;
    printout.title = QStringLiteral("Printed list");
    printout.headers = {QStringLiteral("Name"), QStringLiteral("Other")};
    printout.TakeCellsFrom(model, {0, 1});
    ASSERT_EQ(printout.rowCount, rows);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    const int expectedPages = ListPrinter::LayoutFor(printer).PageCount(rows);
    ASSERT_GE(expectedPages, 2);
    EXPECT_EQ(ListPrinter::Print(printout, printer), expectedPages);

    const std::string text = test::PdfText(pdf);
    for (int i = 0; i < rows; ++i) {
        const std::string cell = QStringLiteral("row%1x").arg(i, 3, 10, QLatin1Char('0')).toStdString();
        const auto first = text.find(cell);
        ASSERT_NE(first, std::string::npos) << cell;
        EXPECT_EQ(text.find(cell, first + 1), std::string::npos) << cell;
    }
    EXPECT_EQ(std::count(text.begin(), text.end(), '\f'), expectedPages);
    EXPECT_NE(text.find("Printed list"), std::string::npos);
}

TEST(ListPrinter, AWideListTurnsThePageAndPrintsEveryColumnWhole)
{
    test::TempDir dir;
    const std::string pdf = (dir / "wide.pdf").string();
    const int columns = 8;
    QStandardItemModel model(0, columns);
    for (int i = 0; i < 12; ++i) {
        QList<QStandardItem*> row;
        for (int c = 0; c < columns; ++c)
            row.append(new QStandardItem(QStringLiteral("Session Time Reached c%1r%2").arg(c).arg(i)));
        model.appendRow(row);
    }
    ListPrintout printout;
    printout.title = QStringLiteral("Wide list");
    std::vector<int> all;
    for (int c = 0; c < columns; ++c) {
        printout.headers << QStringLiteral("Header%1").arg(c);
        all.push_back(c);
    }
    printout.TakeCellsFrom(model, all);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    EXPECT_EQ(ListPrinter::Print(printout, printer), 1);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);

    // pdftotext joins the words of a line; every cell is there in full.
    const std::string text = test::PdfText(pdf);
    EXPECT_EQ(text.find("\u2026"), std::string::npos);
    for (int c = 0; c < columns; ++c) {
        EXPECT_NE(text.find(QStringLiteral("Header%1").arg(c).toStdString()), std::string::npos) << c;
        for (int i = 0; i < 12; ++i)
            EXPECT_NE(text.find(QStringLiteral("Reached c%1r%2").arg(c).arg(i).toStdString()), std::string::npos)
                << c << " " << i;
    }
}

TEST(ListPrinter, ANarrowListStaysPortraitAtFullSize)
{
    test::TempDir dir;
    QStandardItemModel model(0, 2);
    model.appendRow({new QStandardItem(QStringLiteral("a")), new QStandardItem(QStringLiteral("b"))});
    ListPrintout printout;
    printout.headers = {QStringLiteral("One"), QStringLiteral("Two")};
    printout.TakeCellsFrom(model, {0, 1});
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString((dir / "narrow.pdf").string()));
    printer.setPageOrientation(QPageLayout::Portrait);
    EXPECT_EQ(ListPrinter::Print(printout, printer), 1);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
}
