// Print Setup edits the page of every printer, the PDF printer included,
// and says nothing on standard error while it does.

#include "framework/pagesetupdialog.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QPrinter>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace dm;

namespace {

int g_warnings = 0;
void CountWarnings(QtMsgType type, const QMessageLogContext&, const QString&)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        ++g_warnings;
}

} // namespace

TEST(PageSetup, EditsThePageOfAPdfPrinter)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(10, 12, 10, 12), QPageLayout::Millimeter));
    g_warnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler(CountWarnings);
    CPageSetupDialog dialog(&printer);
    EXPECT_EQ(dialog.PaperSizes()->currentText(), QPageSize::name(QPageSize::A4));
    EXPECT_FALSE(dialog.Landscape()->isChecked());
    EXPECT_DOUBLE_EQ(dialog.Margin(1)->value(), 12.0);

    dialog.PaperSizes()->setCurrentIndex(dialog.PaperSizes()->findData(static_cast<int>(QPageSize::Letter)));
    dialog.Landscape()->setChecked(true);
    dialog.Margin(0)->setValue(25.0);
    dialog.accept();
    qInstallMessageHandler(previous);
    EXPECT_EQ(g_warnings, 0);

    const QPageLayout layout = printer.pageLayout();
    EXPECT_EQ(layout.pageSize().id(), QPageSize::Letter);
    EXPECT_EQ(layout.orientation(), QPageLayout::Landscape);
    EXPECT_NEAR(layout.margins(QPageLayout::Millimeter).left(), 25.0, 0.1);
    EXPECT_NEAR(layout.margins(QPageLayout::Millimeter).top(), 12.0, 0.1);
}

TEST(PageSetup, CancelLeavesThePrinterAsItWas)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::A5));
    CPageSetupDialog dialog(&printer);
    dialog.Landscape()->setChecked(true);
    dialog.reject();
    EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A5);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
}
