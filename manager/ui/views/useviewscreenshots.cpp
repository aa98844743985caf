#include "manager/ui/views/useviewscreenshots.h"

#include "common/activitylog.h"
#include "common/timeformat.h"
#include "framework/qtuserinteraction.h"
#include "manager/core/dmdoc.h"
#include "manager/core/messagecaption.h"
#include "manager/ui/frame/mainframe.h"
#include "manager/ui/frame/viewswitchbar.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/views/usageheader.h"
#include "manager/ui/views/usageprogressdialog.h"
#include "manager/ui/views/useview.h"

#include "manager/ui/frame/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMessageBox>

#include <cstdio>
#include <memory>

namespace dm {

bool TakeUsageScreenshots(CDMDoc& doc, CMainFrame& frame, const QDir& dir)
{
    CUseView::SetCalculationDelay(0);
    // Thirty days from nine days ago: yesterday and the week before it.
    const int scope = doc.BrowseScope();
    const std::uint32_t historyDate = doc.HistoryDate();
    doc.SetBrowseScope(3);
    doc.SetHistoryDate(AddLocalDays(NowTime(), -9));
    doc.LoadActivityLog();

    frame.TreeView()->SelectNode(frame.TreeView()->ServersRoot());
    frame.SwitchBar()->SetMode(ModeGraphs);
    doc.SetViewMode(ModeGraphs);
    bool ok = false;
    if (auto* view = qobject_cast<CUseView*>(frame.RightPane())) {
        ok = true;
        view->EnsureStatistics();
        view->ViewToday();
        view->StepBack();
        ok &= SaveScreenshot(&frame, dir, QStringLiteral("graph-day.png"));
        view->ZoomBy(ZoomWeek);
        ok &= SaveScreenshot(&frame, dir, QStringLiteral("graph-week.png"));
        const int left = view->Header()->GraphLeft();
        const int width = view->Header()->GraphWidth();
        view->ShowBand(left + width * 3 / 7, left + width * 5 / 7);
        ok &= SaveScreenshot(&frame, dir, QStringLiteral("graph-rubber-band.png"));

        std::unique_ptr<QMessageBox> narrow(QtUserInteraction::CreateMessageBox(
            "The selected time span is too narrow.\nPlease select a wider time span.", kMessageCaption, Buttons::Ok,
            Icon::Information, &frame));
        narrow->show();
        ok &= SaveScreenshot(narrow.get(), dir, QStringLiteral("graph-too-narrow.png"));
        narrow->hide();

        UsageProgressDialog progress(&frame);
        progress.ShowEntry("EAST\\COM2", 40);
        progress.show();
        ok &= SaveScreenshot(&progress, dir, QStringLiteral("graph-progress.png"));
        progress.hide();
    } else {
        std::fprintf(stderr, "dialmind: the graph view did not open for the screenshots\n");
    }

    frame.SwitchBar()->SetMode(ModeStatus);
    doc.SetViewMode(ModeStatus);
    doc.SetBrowseScope(scope);
    doc.SetHistoryDate(historyDate);
    return ok;
}

} // namespace dm
