#include "manager/ui/views/historyscreenshots.h"

#include "common/activitylog.h"
#include "common/timeformat.h"
#include "framework/listprinter.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/frame/historybar.h"
#include "manager/ui/frame/mainframe.h"
#include "manager/ui/frame/viewswitchbar.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/views/historymodel.h"
#include "manager/ui/views/logview.h"

#include "manager/ui/frame/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QTreeView>
#include <QTreeWidgetItem>

#include <algorithm>
#include <cstdio>

namespace dm {

namespace {

bool SaveImage(const QImage& image, const QDir& dir, const QString& name)
{
    const QString path = dir.filePath(name);
    const bool ok = image.save(path);
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

bool Save(QWidget* widget, const QDir& dir, const QString& name)
{
    SettleEvents(60);
    return SaveImage(widget->grab().toImage(), dir, name);
}

void Reload(CDMDoc& doc)
{
    doc.LoadActivityLog();
    doc.UpdateAllViews(nullptr, hint::DataChanged);
}

QTreeWidgetItem* FirstChildWithImage(QTreeWidgetItem* parent, std::initializer_list<int> images)
{
    for (int i = 0; parent && i < parent->childCount(); ++i) {
        for (int image : images) {
            if (CDMView::ImageOf(parent->child(i)) == image)
                return parent->child(i);
        }
    }
    return nullptr;
}

// The frame with the pop-up menu drawn where it opened.
QImage FrameWithMenu(CMainFrame& frame, CLogView& view)
{
    view.List()->selectionModel()->select(view.Model()->index(1, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    view.List()->selectionModel()->select(view.Model()->index(2, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const QRect row = view.List()->visualRect(view.Model()->index(2, 1));
    const QPoint at = view.List()->viewport()->mapToGlobal(row.center());
    view.PopupMenu()->popup(at);
    SettleEvents(150);
    QImage image = frame.grab().toImage();
    QPainter painter(&image);
    painter.drawPixmap(frame.mapFromGlobal(at), view.PopupMenu()->grab());
    painter.end();
    view.PopupMenu()->hide();
    return image;
}

// The printout from a narrow and from a wide window: the paper is the same.
bool PrintedFromTwoWidths(CMainFrame& frame, CLogView& view, const QDir& dir)
{
    const QSize size = frame.size();
    bool ok = true;
    frame.resize(800, 600);
    ok &= SavePrintedPages(view.Printout(), dir, QStringLiteral("history-printed-narrow"));
    frame.resize(1600, 1000);
    ok &= SavePrintedPages(view.Printout(), dir, QStringLiteral("history-printed-wide"));
    frame.resize(size);
    return ok;
}

} // namespace

bool SavePrintedPages(const ListPrintout& printout, const QDir& dir, const QString& name)
{
    const QString pdf = dir.filePath(name + QStringLiteral(".pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    const int pages = ListPrinter::Print(printout, printer);
    if (pages == 0)
        return false;
    // The first pages show what every page looks like.
    const int shown = std::min(pages, 3);
    const QString prefix = dir.filePath(name);
    const int status = QProcess::execute(QStringLiteral("pdftoppm"),
                                         {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("80"),
                                          QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                          QString::number(shown), pdf, prefix});
    bool ok = status == 0;
    for (int page = 1; page <= shown; ++page) {
        // pdftoppm numbers the pages with as many digits as the last needs.
        const QString png = QStringLiteral("%1-%2.png").arg(prefix).arg(page, QString::number(pages).size(), 10,
                                                                         QLatin1Char('0'));
        const bool exists = QFile::exists(png);
        std::fprintf(exists ? stdout : stderr, "%s %s\n", exists ? "wrote" : "could not write", qPrintable(png));
        ok &= exists;
    }
    return ok;
}

bool TakeHistoryScreenshots(CDMDoc& doc, CMainFrame& frame, const QDir& dir)
{
    bool ok = true;
    CDMView* tree = frame.TreeView();
    // The demo's history ends yesterday: show its last week.
    const std::uint32_t now = NowTime();
    doc.SetBrowseScope(2);
    doc.SetHistoryDate(AddLocalDays(now, -7));
    tree->SelectNode(tree->ServersRoot());
    frame.SwitchBar()->SetMode(ModeHistory);
    doc.SetViewMode(ModeHistory);
    Reload(doc);
    auto* view = qobject_cast<CLogView*>(frame.RightPane());
    if (!view || view->Model()->rowCount() == 0) {
        std::fprintf(stderr, "dialmind: the history view shows no records for the screenshots\n");
        return false;
    }
    ok &= Save(&frame, dir, QStringLiteral("history-all-servers.png"));
    ok &= SaveImage(FrameWithMenu(frame, *view), dir, QStringLiteral("history-popup-menu.png"));
    ok &= PrintedFromTwoWidths(frame, *view, dir);

    QTreeWidgetItem* server = FirstChildWithImage(tree->ServersRoot(), {1, 2});
    if (server) {
        server->setExpanded(true);
        if (QTreeWidgetItem* port = FirstChildWithImage(server, {3, 4, 5})) {
            tree->SelectNode(port);
            ok &= Save(&frame, dir, QStringLiteral("history-port.png"));
        }
    }
    tree->AccountsRoot()->setExpanded(true);
    if (QTreeWidgetItem* domain = FirstChildWithImage(tree->AccountsRoot(), {9})) {
        domain->setExpanded(true);
        // A user with history: the first user of the first row of the list.
        QTreeWidgetItem* user = FirstChildWithImage(domain, {8, 14});
        if (user) {
            tree->SelectNode(user);
            tree->scrollToItem(user);
            ok &= Save(&frame, dir, QStringLiteral("history-user.png"));
        }
    }

    auto* bar = qobject_cast<CHistoryBar*>(frame.HistoryBar());
    if (!bar)
        return false;
    const std::uint32_t starts[] = {AddLocalDays(now, -1), AddLocalDays(now, -7), AddLocalDays(now, -30), now};
    for (int scope = 1; scope <= 4; ++scope) {
        doc.SetBrowseScope(scope);
        doc.SetHistoryDate(starts[scope - 1]);
        Reload(doc);
        bar->UpdateTexts();
        ok &= Save(bar, dir, QStringLiteral("history-bar-scope%1.png").arg(scope));
    }
    doc.SetBrowseScope(1);
    doc.SetHistoryDate(now);
    return ok;
}

} // namespace dm
