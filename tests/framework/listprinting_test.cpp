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

TEST(ListPageLayout, ColumnsKeepTheirOnScreenProportions)
{
    ListPageLayout layout = A4Layout();
    layout.pageWidth = 10000;
    EXPECT_EQ(layout.ColumnX({100, 300, 100}, 500), (std::vector<int>{0, 2000, 8000}));
    EXPECT_EQ(layout.ColumnX({100, 100}, 0), (std::vector<int>{0, 0}));
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
    printout.screenWidths = {150, 150};
    printout.clientWidth = 600;
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
