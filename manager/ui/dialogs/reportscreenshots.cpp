// The report dialogs as a person sees them, for dialmind --screenshots.

#include "common/timeformat.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/dialogs/reportdialogs.h"
#include "manager/ui/dialogs/reportprogressdialog.h"
#include "manager/ui/frame/screenshots.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QThread>
#include <QTimer>

#include <atomic>

namespace dm {

bool TakeReportScreenshots(CDMDoc& doc, QWidget* parent, const QDir& dir)
{
    bool ok = true;
    {
        CReportsDialog reports(doc, parent);
        reports.List()->setCurrentRow(1);
        reports.show();
        ok &= SaveScreenshot(&reports, dir, QStringLiteral("reports.png"));
    }
    {
        CTimePeriodDialog period(PeriodAllRecords, 0, 0, doc.Interaction(), parent);
        period.TypeButton(PeriodCustom)->click();
        period.StepFrom(-7);
        period.show();
        ok &= SaveScreenshot(&period, dir, QStringLiteral("report-time-period.png"));
    }
    {
        ReportSettings settings = doc.Report();
        settings.print = false;
        settings.outputFileName = "C:\\Reports\\usage-march.csv";
        CSendToDialog sendTo(settings, parent);
        sendTo.show();
        ok &= SaveScreenshot(&sendTo, dir, QStringLiteral("report-send-to.png"));
    }
    {
        CSaveScriptDialog script(doc, 1, parent);
        script.show();
        ok &= SaveScreenshot(&script, dir, QStringLiteral("report-save-script.png"));
    }
    {
        // A real run over the database, held at its first progress text
        // while the picture is taken.
        ReportSettings settings = doc.Report();
        settings.reportType = ReportUsagePerUser;
        settings.print = false;
        settings.outputFileName = "dialmind-screenshot-report.csv";
        ReportRequest request = MakeReportRequest(settings, doc.DatabaseDirectory());
        request.workingDirectory = QDir::tempPath().toStdString();
        CReportProgressDialog progress(request, {}, parent);
        progress.SetStartDelay(0);
        std::atomic<bool> taken{false};
        QObject::connect(&progress, &CReportProgressDialog::statusChanged, &progress, [&] {
            if (taken)
                return;
            QTimer::singleShot(0, &progress, [&] {
                ok &= SaveScreenshot(&progress, dir, QStringLiteral("report-progress.png"));
                taken = true;
            });
            while (!taken)
                QThread::msleep(5);
        }, Qt::DirectConnection);
        progress.exec();
        QFile::remove(QDir::temp().filePath(QString::fromStdString(settings.outputFileName)));
        QFile::remove(QDir::temp().filePath(QStringLiteral("dmtemp.dat")));
        ok &= taken.load();
    }
    return ok;
}

} // namespace dm
