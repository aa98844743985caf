// The report dialogs and the run behind the progress dialog, headless: the
// list and its descriptions, the time period and its refused steps, Send To,
// the saved script, cancelling each report type, the worker's texts reaching
// the dialog through queued signals, and Generate against dmreport run on
// the script that the dialog saved.

#include "common/timeformat.h"
#include "manager/ui/dialogs/reportdialogs.h"
#include "manager/ui/dialogs/reportprogressdialog.h"
#include "platform/files/profile.h"
#include "tests/manager/ui_fixture.h"

#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTimer>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>

using namespace dm;
using namespace dm::test;
using ::testing::ElementsAre;
using ::testing::Contains;

namespace {

// Ends the next modal dialog once it runs, after doing something with it.
template <typename Dialog, typename Action>
std::function<void(QDialog&)> Then(Action action)
{
    return [action](QDialog& dialog) {
        QTimer::singleShot(0, &dialog, [&dialog, action] { action(static_cast<Dialog&>(dialog)); });
    };
}

class ReportDialogsTest : public UiFixture {
protected:
    void SetUp() override
    {
        UiFixture::SetUp();
        AddRasServer("EAST", {"COM1", "COM2"}, true);
        OpenManager();
        m_oldDirectory = std::filesystem::current_path();
        std::filesystem::create_directories(m_dir / "work");
        std::filesystem::current_path(m_dir / "work");
    }
    void TearDown() override
    {
        std::filesystem::current_path(m_oldDirectory);
        UiFixture::TearDown();
    }

    void Append(const std::filesystem::path& file, const std::string& text)
    {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary | std::ios::app) << text;
    }
    static std::string Line(std::uint32_t time, const std::string& value)
    {
        return std::to_string(time) + "=" + value + "\r\n";
    }
    // Sessions and denials on two days, a legacy log and port statistics.
    void FillDatabase(int sessions = 40)
    {
        std::string day1 = "[EAST\\COM1]\r\n", day2 = "[EAST\\COM2]\r\n";
        for (int i = 0; i < sessions; ++i) {
            const std::uint32_t t = LocalTimeOf(2026, 3, 10, 8, 0, 0) + static_cast<std::uint32_t>(i) * 600;
            day1 += Line(t, "C_OSTERHALL\\user" + std::to_string(i % 7));
            day1 += Line(t + 300, "H" + std::to_string(120 + i) + "_OSTERHALL\\user" + std::to_string(i % 7) + "?0");
            day2 += Line(t + 30, "N_OSTERHALL\\guest" + std::to_string(i % 3) + "?" + std::to_string(1 + i % 6));
        }
        Append(m_db / "LogData" / (FormatDayLogDate(LocalTimeOf(2026, 3, 10, 12, 0, 0)) + ".log"), day1);
        Append(m_db / "LogData" / (FormatDayLogDate(LocalTimeOf(2026, 3, 11, 12, 0, 0)) + ".log"),
               "[EAST\\COM2]\r\n" + Line(LocalTimeOf(2026, 3, 11, 9, 0, 0), "H3600_OSTERHALL\\user1?0") + day2);
        Append(m_db / "Dialmind.log",
               "[OLDRAS\\COM1]\r\n" + Line(LocalTimeOf(1997, 12, 5, 9, 0, 0), "H7200_OSTERHALL\\joe?0"));
        std::string stats = "[EAST]\r\n";
        for (int hour = 0; hour < 24; ++hour)
            stats += Line(LocalTimeOf(2026, 3, 10, hour, 0, 0), std::to_string(hour % 3));
        Append(m_db / "portstat.log", stats);
    }

    ReportRequest Request(int type, const std::string& output)
    {
        ReportSettings settings;
        settings.reportType = type;
        settings.print = false;
        settings.outputFileName = output;
        return MakeReportRequest(settings, m_doc->DatabaseDirectory());
    }

    std::filesystem::path m_oldDirectory;
};

} // namespace

TEST_F(ReportDialogsTest, TheListOpensOnTheFirstReportAndShowsEachDescription)
{
    m_doc->Report().reportType = 3;
    CReportsDialog dialog(*m_doc);
    ASSERT_EQ(dialog.List()->count(), 4);
    EXPECT_EQ(dialog.List()->item(3)->text(), "Busy Ports Per Hour");
    EXPECT_EQ(dialog.List()->currentRow(), 0);
    EXPECT_EQ(dialog.Description()->text(),
              "Produces a report on usage time per User Account during the selected time period.");
    dialog.List()->setCurrentRow(2);
    EXPECT_EQ(dialog.Description()->text(),
              "Produces a report on all denied connections during the selected time period.");
    dialog.List()->setCurrentRow(1);
    dialog.Generate();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(m_doc->Report().reportType, 2);
}

TEST_F(ReportDialogsTest, TheFirstCustomPeriodIsTodayAndRefusedStepsBeep)
{
    const std::uint32_t now = LocalTimeOf(2026, 3, 18, 15, 0, 0);
    CTimePeriodDialog dialog(PeriodAllRecords, 0, 0, m_ui);
    dialog.SetNow(now);
    EXPECT_TRUE(dialog.TypeButton(PeriodAllRecords)->isChecked());
    EXPECT_FALSE(dialog.FromText()->isEnabled());

    dialog.TypeButton(PeriodCustom)->click();
    EXPECT_TRUE(dialog.FromText()->isEnabled());
    EXPECT_EQ(dialog.FromText()->text(), "2026-Mar-18");
    EXPECT_EQ(dialog.ToText()->text(), "2026-Mar-18");

    dialog.StepFrom(1);
    dialog.StepTo(-1);
    EXPECT_THAT(m_ui.m_beeps, ElementsAre(std::pair(200u, 100u), std::pair(200u, 100u)));
    EXPECT_EQ(dialog.FromText()->text(), "2026-Mar-18");
    dialog.StepFrom(-1);
    EXPECT_EQ(m_ui.m_beeps.size(), 2u);
    EXPECT_EQ(dialog.FromText()->text(), "2026-Mar-17");

    dialog.TypeButton(PeriodThisWeek)->click();
    EXPECT_FALSE(dialog.ToText()->isEnabled());
    EXPECT_EQ(dialog.Choice().PeriodType(), PeriodThisWeek);
}

TEST_F(ReportDialogsTest, CancellingTheTimePeriodKeepsThePreviousChoice)
{
    CReportsDialog dialog(*m_doc);
    dialog.m_beforeNested = Then<CTimePeriodDialog>([](CTimePeriodDialog& period) {
        period.TypeButton(PeriodCustom)->click();
        period.reject();
    });
    dialog.OpenTimePeriod();
    EXPECT_EQ(m_doc->Report().periodType, PeriodAllRecords);
    EXPECT_EQ(m_doc->Report().from, 0u);

    dialog.m_beforeNested = Then<CTimePeriodDialog>([](CTimePeriodDialog& period) {
        period.TypeButton(PeriodCustom)->click();
        period.StepFrom(-3);
        period.accept();
    });
    dialog.OpenTimePeriod();
    EXPECT_EQ(m_doc->Report().periodType, PeriodCustom);
    EXPECT_EQ(FormatReportDate(m_doc->Report().to), FormatReportDate(NowTime()));
    EXPECT_EQ(FormatReportDate(m_doc->Report().from), FormatReportDate(AddLocalDays(NowTime(), -3)));

    // Another type keeps the custom bounds for a later custom choice.
    dialog.m_beforeNested = Then<CTimePeriodDialog>([](CTimePeriodDialog& period) {
        period.TypeButton(PeriodToday)->click();
        period.accept();
    });
    const std::uint32_t from = m_doc->Report().from;
    dialog.OpenTimePeriod();
    EXPECT_EQ(m_doc->Report().periodType, PeriodToday);
    EXPECT_EQ(m_doc->Report().from, from);
}

TEST_F(ReportDialogsTest, SendToEnablesTheChosenSideAndStoresPrinterAndFile)
{
    ASSERT_TRUE(WritePrivateProfileString("windows", "device", "Laser,winspool,LPT1:", "win.ini"));
    CReportsDialog dialog(*m_doc);
    QString title;
    dialog.m_beforeNested = Then<CSendToDialog>([&title](CSendToDialog& sendTo) {
        // The printer's own name, without the driver and port of the profile entry.
        EXPECT_EQ(sendTo.PrinterField()->text(), "Laser");
        EXPECT_TRUE(sendTo.PrintButton()->isChecked());
        EXPECT_FALSE(sendTo.FileField()->isEnabled());
        sendTo.FileButton()->click();
        EXPECT_TRUE(sendTo.FileField()->isEnabled());
        EXPECT_FALSE(sendTo.PrinterField()->isEnabled());
        sendTo.m_chooseFile = [&title](QWidget*, const QString& caption, const QString&) {
            title = caption;
            return QStringLiteral("C:\\Reports\\march.csv");
        };
        sendTo.ChooseFile();
        sendTo.PrintButton()->click();
        sendTo.m_choosePrinter = [](QWidget*, const QString& current) -> std::optional<QString> {
            EXPECT_EQ(current, "Laser");
            return QStringLiteral("Office");
        };
        sendTo.ChoosePrinter();
        sendTo.FileButton()->click();
        sendTo.accept();
    });
    dialog.OpenSendTo();
    EXPECT_EQ(title, "Save Report As");
    EXPECT_FALSE(m_doc->Report().print);
    EXPECT_EQ(m_doc->Report().outputFileName, "C:\\Reports\\march.csv");
    EXPECT_EQ(m_doc->Report().printerName, "Office");

    // Reopened, the dialog shows the chosen printer.
    CSendToDialog again(m_doc->Report());
    EXPECT_EQ(again.PrinterField()->text(), "Office");
    EXPECT_TRUE(again.FileButton()->isChecked());
}

TEST_F(ReportDialogsTest, TheScriptTakesTheListsReportEvenAfterAnotherWasGenerated)
{
    ReportSettings& settings = m_doc->Report();
    settings.reportType = ReportUsagePerUser; // generated before
    settings.periodType = PeriodCustom;
    settings.from = LocalTimeOf(2026, 3, 1, 0, 1, 0);
    settings.to = LocalTimeOf(2026, 3, 31, 23, 59, 59);
    settings.print = false;
    settings.outputFileName = "usage.csv";
    CReportsDialog dialog(*m_doc);
    dialog.List()->setCurrentRow(3);
    dialog.m_beforeNested = Then<CSaveScriptDialog>([](CSaveScriptDialog& script) {
        EXPECT_EQ(script.FileField()->text(), "dmscript.dat");
        script.Save();
    });
    dialog.OpenSaveScript();
    const auto value = [](const char* key) {
        return GetPrivateProfileString("Settings", key, "*", "dmscript.dat");
    };
    EXPECT_EQ(value("ReportType"), "4");
    EXPECT_EQ(value("TimePeriodType"), "5");
    EXPECT_EQ(value("TimePeriodFrom"), std::to_string(settings.from));
    EXPECT_EQ(value("PrintReport"), "0");
    EXPECT_EQ(value("FileName"), "usage.csv");
    EXPECT_EQ(value("MasterShare"), m_doc->DatabaseDirectory());
    EXPECT_EQ(settings.reportType, ReportUsagePerUser);

    CSaveScriptDialog chooser(*m_doc, 2);
    chooser.m_chooseFile = [](QWidget*, const QString& caption, const QString&) {
        EXPECT_EQ(caption, "Save Script As");
        return QStringLiteral("C:\\Scripts\\nightly.dat");
    };
    chooser.ChooseFile();
    EXPECT_EQ(chooser.FileField()->text(), "C:\\Scripts\\nightly.dat");
}

TEST_F(ReportDialogsTest, TheWorkersTextsReachTheStatusLineThroughQueuedSignals)
{
    FillDatabase(400);
    CReportProgressDialog dialog(Request(ReportUsagePerPort, "out.csv"), {});
    dialog.SetStartDelay(0);
    std::vector<QString> texts;
    bool emittedOnGuiThread = false;
    QObject::connect(&dialog, &CReportProgressDialog::statusChanged, &dialog,
                     [&](const QString& text) {
                         emittedOnGuiThread |= QThread::currentThread() == qApp->thread();
                         texts.push_back(text);
                     }, Qt::DirectConnection);
    EXPECT_EQ(dialog.exec(), QDialog::Accepted) << "the dialog closes itself when the run ends";
    EXPECT_FALSE(emittedOnGuiThread);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front(), "Loading and sorting data");
    EXPECT_EQ(texts.back(), "Saving Report");
    EXPECT_LT(texts.size(), 50u) << "record counts are paced";
    EXPECT_EQ(dialog.StatusLine()->text(), "Saving Report");
    EXPECT_TRUE(dialog.Finished());
    EXPECT_TRUE(std::filesystem::exists("out.csv"));
}

TEST_F(ReportDialogsTest, CancelStopsEveryReportTypeAndWritesNothing)
{
    FillDatabase();
    for (int type = ReportUsagePerUser; type <= ReportBusyPortsPerHour; ++type) {
        SCOPED_TRACE(type);
        CReportProgressDialog dialog(Request(type, "out.csv"), {});
        dialog.SetStartDelay(0);
        std::atomic<bool> clicked{false};
        bool stayedOpen = false;
        // The person presses Cancel as soon as the run shows its first text.
        // The click is posted before the run's end is, so it always finds
        // the run active; the dialog stays open until the run has stopped.
        QObject::connect(&dialog, &CReportProgressDialog::statusChanged, &dialog, [&] {
            QTimer::singleShot(0, &dialog, [&] {
                if (clicked)
                    return;
                clicked = true;
                dialog.CancelButton()->click();
                stayedOpen = dialog.isVisible();
            });
            // Held until the click has been seen, so the run cannot end first.
            while (!clicked)
                QThread::msleep(1);
        }, Qt::DirectConnection);
        dialog.exec();
        EXPECT_TRUE(clicked);
        EXPECT_TRUE(stayedOpen);
        EXPECT_TRUE(dialog.Result().cancelled);
        EXPECT_FALSE(std::filesystem::exists("out.csv"));
        EXPECT_FALSE(std::filesystem::exists("dmtemp.dat"));
    }
}

TEST_F(ReportDialogsTest, GenerateWritesTheSameFileAsDmreportOnTheSavedScript)
{
    FillDatabase();
    const QString dmreport = QCoreApplication::applicationDirPath() + "/dmreport";
    ASSERT_TRUE(QFileInfo::exists(dmreport));
    for (int period : {PeriodAllRecords, PeriodCustom}) {
        for (int type = ReportUsagePerUser; type <= ReportBusyPortsPerHour; ++type) {
            SCOPED_TRACE(std::to_string(type) + " " + std::to_string(period));
            ReportSettings& settings = m_doc->Report();
            settings.reportType = type;
            settings.periodType = period;
            settings.from = LocalTimeOf(2026, 3, 10, 9, 0, 0);
            settings.to = LocalTimeOf(2026, 3, 11, 12, 0, 0);
            settings.print = false;
            settings.outputFileName = "manager.csv";
            CReportProgressDialog run(MakeReportRequest(settings, m_doc->DatabaseDirectory()), {});
            run.SetStartDelay(0);
            run.exec();
            ASSERT_EQ(ReportRunError(run.Result(), settings.outputFileName), "");

            settings.outputFileName = "dmreport.csv";
            CReportsDialog dialog(*m_doc);
            dialog.List()->setCurrentRow(type - 1);
            dialog.m_beforeNested = Then<CSaveScriptDialog>([](CSaveScriptDialog& script) {
                script.FileField()->setText(QStringLiteral("nightly.dat"));
                script.Save();
            });
            dialog.OpenSaveScript();
            QProcess process;
            process.start(dmreport, {QStringLiteral("--console"), QStringLiteral("nightly.dat")});
            ASSERT_TRUE(process.waitForFinished(60000));
            EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

            const std::string ours = ReadFile("manager.csv");
            EXPECT_GT(ours.size(), 60u);
            EXPECT_EQ(ours, ReadFile("dmreport.csv"));
            std::filesystem::remove("manager.csv");
            std::filesystem::remove("dmreport.csv");
        }
    }
}

TEST_F(ReportDialogsTest, AFailedRunIsShownWithDmreportsText)
{
    ReportSettings& settings = m_doc->Report();
    settings.print = false;
    settings.outputFileName = "no-such-folder\\out.csv";
    // Generate in the Reports dialog, then the run behind its progress
    // dialog; the message comes after both have closed.
    QTimer::singleShot(0, [] {
        auto* reports = qobject_cast<CReportsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(reports, nullptr);
        reports->Generate();
    });
    RunReportsCommand(*m_doc, nullptr);
    ASSERT_EQ(m_ui.m_messages.size(), 1u);
    EXPECT_EQ(m_ui.m_messages[0].text,
              "ERROR: Could not create report file no-such-folder\\out.csv: No such file or directory.");
    EXPECT_EQ(m_ui.m_messages[0].caption, "Reports");
}
