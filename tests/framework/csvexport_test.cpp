#include "framework/csvexport.h"
#include "framework/printerchoice.h"

#include "tests/support/tempdir.h"

#include <QPainter>
#include <QPrinter>
#include <QStandardItemModel>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace dm;

TEST(CsvExport, EveryFieldIsFollowedByACommaAndEmptyCellsAreBlank)
{
    EXPECT_EQ(CsvExport::FormatRow({"12/06/26 10:00:00", "EAST", "", "COM1"}), "12/06/26 10:00:00,EAST, ,COM1,\n");
    EXPECT_EQ(CsvExport::FormatRow({}), "\n");
    EXPECT_EQ(CsvExport::ClipboardText({{"a", ""}, {"b", "c"}}), "a, ,\r\nb,c,\r\n");
}

TEST(CsvExport, WritesHeaderAndRowsAndReportsFailure)
{
    test::TempDir dir;
    const auto path = dir.path() / "out.csv";
    ASSERT_TRUE(CsvExport::WriteFile(QString::fromStdString(path.string()), "Time/Date,Server,Port",
                                     {{"t1", "EAST", "COM1"}, {"t2", "", "COM2"}}));
    EXPECT_EQ(test::ReadFile(path), "Time/Date,Server,Port\nt1,EAST,COM1,\nt2, ,COM2,\n");
    EXPECT_FALSE(CsvExport::WriteFile(QString::fromStdString((dir.path() / "no" / "dir.csv").string()), "h", {}));
}

TEST(CsvExport, ModelRowTakesTheDisplayTextsOfTheChosenColumns)
{
    QStandardItemModel model(1, 3);
    model.setItem(0, 0, new QStandardItem("COM1"));
    model.setItem(0, 2, new QStandardItem("ACME\\anna"));
    EXPECT_EQ(CsvExport::ModelRow(model, 0, {2, 1, 0}), (CsvExport::Row{"ACME\\anna", "", "COM1"}));
}

TEST(CsvExport, FileNameProviderReplacesTheDialog)
{
    CsvExport::SetFileNameProvider([](QWidget*) { return QStringLiteral("/tmp/x.csv"); });
    EXPECT_EQ(CsvExport::AskSaveFileName(nullptr), "/tmp/x.csv");
    CsvExport::SetFileNameProvider(nullptr);
}

TEST(PrinterChoice, PdfTargetSendsJobsToAFileWithoutDialog)
{
    test::TempDir dir;
    const auto pdf = dir.path() / "job.pdf";
    setenv("DIALMIND_PRINTER", ("pdf:" + pdf.string()).c_str(), 1);
    auto printer = PrinterChoice::Choose(nullptr, "History");
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(printer->outputFormat(), QPrinter::PdfFormat);
    {
        QPainter painter(printer.get());
        painter.drawText(100, 100, "Logged activities in Dialminder");
    }
    EXPECT_EQ(test::ReadFile(pdf).substr(0, 4), "%PDF");

    setenv("DIALMIND_PRINTER", "pdf:", 1);
    EXPECT_TRUE(PrinterChoice::PdfTarget().isEmpty());
    setenv("DIALMIND_PRINTER", "lp0", 1);
    EXPECT_TRUE(PrinterChoice::PdfTarget().isEmpty());
    unsetenv("DIALMIND_PRINTER");
}
