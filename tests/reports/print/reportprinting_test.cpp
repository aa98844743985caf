// The printed report, checked through the PDF that DIALMIND_PRINTER makes.

#include "reports/print/reportprinting.h"
#include "reports/reportcsv.h"
#include "tests/support/tempdir.h"

#include <QGuiApplication>
#include <QPrinter>
#include <QPrinterInfo>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using namespace dm;
using namespace dm::test;
using ::testing::HasSubstr;

namespace {

std::string Command(const std::string& command)
{
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe))
            output.append(buffer, n);
        pclose(pipe);
    }
    return output;
}

class ReportPrinting : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "test";
        static char* argv[] = {name, nullptr};
        if (QGuiApplication::instance() == nullptr)
            new QGuiApplication(argc, argv);
    }
    void SetUp() override
    {
        m_pdf = (m_dir / "report.pdf").string();
        setenv("DIALMIND_PRINTER", ("pdf:" + m_pdf).c_str(), 1);
    }
    void TearDown() override { unsetenv("DIALMIND_PRINTER"); }

    std::string Dmtemp(const std::string& text)
    {
        const std::string file = (m_dir / "dmtemp.dat").string();
        WriteFile(file, text);
        return file;
    }
    std::string PageText(int page)
    {
        return Command("pdftotext -layout -f " + std::to_string(page) + " -l " +
                       std::to_string(page) + " '" + m_pdf + "' -");
    }
    int PdfPages() { return std::atoi(Info("Pages").c_str()); }
    std::string Info(const std::string& field)
    {
        const std::string info = Command("pdfinfo '" + m_pdf + "'");
        const std::size_t at = info.find(field + ":");
        if (at == std::string::npos)
            return {};
        const std::size_t start = info.find_first_not_of(' ', at + field.size() + 1);
        return info.substr(start, info.find('\n', start) - start);
    }

    TempDir m_dir;
    std::string m_pdf;
};

std::string UserName(int i)
{
    char name[32];
    std::snprintf(name, sizeof name, "DOM\\user%03d", i);
    return name;
}

} // namespace

TEST_F(ReportPrinting, LongReportRepeatsTheHeadingBlockOnEveryPage)
{
    std::string users = "[Users]\r\n";
    std::string sessions = "[Users2]\r\n";
    const int count = 150;
    for (int i = 0; i < count; ++i) {
        users += UserName(i) + "=" + std::to_string(3725 + i) + "\r\n";
        sessions += UserName(i) + "=" + std::to_string(i + 1) + "\r\n";
    }
    const std::string file = Dmtemp("[Format]\r\nReportType=1\r\nTimePeriodType=2\r\n"
                                    "From=03/16/26 00:01\r\nTo=03/18/26 23:59\r\n" +
                                    users + sessions);
    const int printed = PrintReportFile(file);

    // The page count the layout plans for this printer's page.
    const std::unique_ptr<QPrinter> printer = OpenReportPrinter();
    const auto plan = PlanPages(MetricsOf(*printer), count);
    ASSERT_GE(plan.size(), 2u);
    EXPECT_EQ(printed, static_cast<int>(plan.size()));
    EXPECT_EQ(PdfPages(), printed);
    EXPECT_EQ(Info("Title"), "Dialminder Report");

    int next = 0;
    for (int page = 1; page <= printed; ++page) {
        const std::string text = PageText(page);
        EXPECT_THAT(text, HasSubstr("Dialminder Report: Usage time per User.")) << page;
        EXPECT_THAT(text, HasSubstr("Data from 03/16/26 00:01 until 03/18/26 23:59.")) << page;
        EXPECT_THAT(text, HasSubstr("Page " + std::to_string(page))) << page;
        EXPECT_THAT(text, HasSubstr("User Account")) << page;
        EXPECT_THAT(text, HasSubstr("Usage (HH\"MM'SS)")) << page;
        EXPECT_THAT(text, HasSubstr("Sessions")) << page;
        // This page's rows continue where the last page stopped, in order.
        std::size_t at = 0;
        for (const auto& row : plan[static_cast<std::size_t>(page) - 1].rows) {
            ASSERT_EQ(static_cast<int>(row.index), next);
            at = text.find(UserName(next), at);
            ASSERT_NE(at, std::string::npos) << UserName(next) << " on page " << page;
            ++next;
        }
    }
    EXPECT_EQ(next, count);
    EXPECT_THAT(PageText(1), HasSubstr("1\" 2' 5"));  // 3725 seconds
    EXPECT_THAT(PageText(1), ::testing::Not(HasSubstr("3725")));
}

TEST_F(ReportPrinting, NothingToPrintMakesNoJob)
{
    // No rows: no page.
    EXPECT_EQ(PrintReportFile(Dmtemp("[Format]\r\nReportType=2\r\nTimePeriodType=4\r\n")), 0);
    // No period type: nothing at all.
    EXPECT_EQ(PrintReportFile(Dmtemp("[Format]\r\nReportType=1\r\n[Users]\r\nDOM\\a=1\r\n")), 0);
    EXPECT_FALSE(std::filesystem::exists(m_pdf));
}

TEST_F(ReportPrinting, NoPrinterPrintsNothingAndSaysSo)
{
    unsetenv("DIALMIND_PRINTER");
    if (!QPrinterInfo::defaultPrinter().isNull())
        GTEST_SKIP() << "this machine has a default printer";
    EXPECT_EQ(OpenReportPrinter(), nullptr);
    EXPECT_EQ(PrintReportFile(Dmtemp("[Format]\r\nReportType=1\r\nTimePeriodType=4\r\n"
                                     "[Users]\r\nDOM\\a=1\r\n")),
              -1)
        << "a report that no printer took is told apart from one with nothing to print";
}

TEST_F(ReportPrinting, BusyPortsShowServerTimeAndCount)
{
    const std::string file = Dmtemp("[Format]\r\nReportType=4\r\nTimePeriodType=4\r\n"
                                    "From=First available record\r\nTo=Last available record\r\n"
                                    "[RAS1]\r\n1773820800=4\r\n[RAS2]\r\n1773838800=1\r\n");
    EXPECT_EQ(PrintReportFile(file), 1);
    const std::string text = PageText(1);
    EXPECT_THAT(text, HasSubstr("Dialminder Report: Busy Ports per Hour."));
    EXPECT_THAT(text, HasSubstr("Based on all available records. No period specified."));
    EXPECT_THAT(text, HasSubstr("Busy Ports"));
    EXPECT_LT(text.find("RAS1"), text.find("RAS2"));
    EXPECT_THAT(text, HasSubstr("03/18/26 09:00"));
}

TEST_F(ReportPrinting, ACodePageByteReadsAsItsLetterOnPaperAndInTheCsv)
{
    // A user name written by a Windows program: "é" as the single byte 0xE9.
    const std::string file = Dmtemp("[Format]\r\nReportType=1\r\nTimePeriodType=4\r\n"
                                    "From=First available record\r\nTo=Last available record\r\n"
                                    "[Users]\r\nDOM\\Jos\xe9=60\r\n[Users2]\r\nDOM\\Jos\xe9=1\r\n");
    EXPECT_EQ(PrintReportFile(file), 1);
    const std::string page = PageText(1);
    EXPECT_THAT(page, HasSubstr("DOM\\Jos\u00e9"));
    EXPECT_THAT(page, ::testing::Not(HasSubstr("\ufffd")));

    const auto csv = m_dir / "report.csv";
    ASSERT_TRUE(WriteReportCsv(file, csv));
    const std::string text = ReadFile(csv);
    EXPECT_THAT(text, HasSubstr("DOM\\Jos\u00e9,"));
    EXPECT_EQ(text.find("Jos\xe9,"), std::string::npos);
}
