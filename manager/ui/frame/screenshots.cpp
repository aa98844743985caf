#include "manager/ui/frame/screenshots.h"

#include "framework/helpwindow.h"
#include "framework/propertysheet.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/dialogs/addserverdialog.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/frame/mainframe.h"
#include "manager/ui/frame/settingsscreenshots.h"
#include "manager/ui/views/newport.h"
#include "manager/ui/sheets/optionssheet.h"
#include "manager/ui/sheets/policysheetshots.h"
#include "manager/ui/dialogs/sendmessagedialog.h"
#include "manager/ui/views/historyscreenshots.h"
#include "manager/ui/views/useviewscreenshots.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>

namespace dm {

void SettleEvents(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    } while (clock.elapsed() < milliseconds);
}

bool SaveScreenshot(QWidget* widget, const QDir& dir, const QString& name)
{
    SettleEvents();
    const QString path = dir.filePath(name);
    const bool ok = widget->grab().save(path);
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

namespace {

// The first port with a session, after every server's ports were read.
bool FindBusyPort(CDMDoc& doc, std::string& server, std::string& port)
{
    for (int i = 0; i < static_cast<int>(doc.Servers().size()); ++i) {
        doc.RefreshServerPorts(i);
        const ServerEntry& entry = doc.Servers()[static_cast<size_t>(i)];
        for (int p = 0; p < entry.portCount && p < static_cast<int>(entry.slots.size()); ++p) {
            if (entry.slots[static_cast<size_t>(p)].sessionStart != 0) {
                server = entry.name;
                port = entry.slots[static_cast<size_t>(p)].portName;
                return true;
            }
        }
    }
    return false;
}

// The help window at every page of the index, and once with a search.
bool TakeHelpScreenshots(QWidget* owner, const QDir& dir)
{
    bool ok = CHelpWindow::ShowContext(1, owner);
    CHelpWindow* help = CHelpWindow::SharedWindow();
    if (!help)
        return false;
    help->resize(760, 540);
    std::vector<QString> files;
    for (int i = 0; i < help->PageList()->count(); ++i)
        files.push_back(help->PageList()->item(i)->data(Qt::UserRole).toString());
    for (const QString& file : files) {
        help->OpenPage(file);
        ok &= SaveScreenshot(help, dir, QStringLiteral("help-%1.png").arg(QFileInfo(file).baseName()));
    }
    help->SearchField()->setText(QStringLiteral("call back"));
    help->PageList()->setCurrentRow(0);
    Q_EMIT help->SearchField()->returnPressed();
    ok &= SaveScreenshot(help, dir, QStringLiteral("help-search.png"));
    help->close();
    return ok;
}

} // namespace

int TakeScreenshots(CDMDoc& doc, CMainFrame& frame, const QString& directory)
{
    QDir dir(directory);
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "dialmind: cannot create %s\n", qPrintable(directory));
        return 1;
    }
    bool ok = true;
    // The switch bar's totals come from the port-total thread's first pass.
    frame.StartPortTotals();
    frame.resize(1280, 800);
    frame.show();
    ok &= SaveScreenshot(&frame, dir, QStringLiteral("intro.png"));
    doc.SetIntroDrawn();

    CDMView* tree = frame.TreeView();
    tree->ServersRoot()->setExpanded(true);
    for (int i = 0; i < tree->ServersRoot()->childCount(); ++i)
        tree->ServersRoot()->child(i)->setExpanded(true);
    tree->AccountsRoot()->setExpanded(true);
    for (int i = 0; i < tree->AccountsRoot()->childCount(); ++i) {
        if (CDMView::ImageOf(tree->AccountsRoot()->child(i)) == 9) {
            tree->AccountsRoot()->child(i)->setExpanded(true);
            break;
        }
    }
    tree->SelectNode(tree->ServersRoot());
    ok &= SaveScreenshot(&frame, dir, QStringLiteral("main-tree-expanded.png"));

    std::string server, port;
    const bool busy = FindBusyPort(doc, server, port);
    if (QTreeWidgetItem* node = tree->FindNamed(server, tree->ServersRoot())) {
        tree->SelectNode(node);
        tree->scrollToItem(node);
        ok &= SaveScreenshot(&frame, dir, QStringLiteral("ports-list.png"));
        QTreeWidgetItem* portNode = tree->FindNamed(port, node);
        if (busy && portNode) {
            tree->SelectNode(portNode);
            // Two fills a moment apart give the meters a rate.
            if (auto* panel = qobject_cast<CNewPort*>(frame.RightPane())) {
                SettleEvents(1200);
                panel->OnTimerTick();
            }
            ok &= SaveScreenshot(&frame, dir, QStringLiteral("port-status.png"));
        }
    } else {
        std::fprintf(stderr, "dialmind: no port in session found for the screenshots\n");
        ok = false;
    }

    CPropertySheet* options = CreateOptionsSheet(doc, &frame);
    options->show();
    ok &= SaveScreenshot(options, dir, QStringLiteral("options-display.png"));
    options->SetActivePage(1);
    ok &= SaveScreenshot(options, dir, QStringLiteral("options-history-view.png"));
    options->reject();
    delete options;

    {
        CAddServerDialog addServer(doc.Interaction(), doc.ServerListKeyPath(), &frame);
        addServer.resize(420, 460);
        addServer.show();
        QEventLoop loop;
        QObject::connect(&addServer, &CAddServerDialog::enumerationFinished, &loop, &QEventLoop::quit);
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        addServer.StartEnumeration();
        if (addServer.EnumerationRunning())
            loop.exec();
        addServer.NetworkTree()->expandAll();
        const auto servers = addServer.NetworkTree()->findItems(QString::fromStdString(server),
                                                                Qt::MatchExactly | Qt::MatchRecursive);
        if (!servers.isEmpty())
            addServer.NetworkTree()->setCurrentItem(servers.first());
        ok &= SaveScreenshot(&addServer, dir, QStringLiteral("add-server.png"));
        addServer.reject();
    }
    {
        CSendMessageDialog message(QStringLiteral("ANNA-LAPTOP"), doc.Interaction(), &frame);
        message.TextField()->setPlainText(
            QStringLiteral("The server restarts at 18:00 for maintenance. Please save your work and hang up."));
        message.show();
        ok &= SaveScreenshot(&message, dir, QStringLiteral("send-message.png"));
        message.reject();
    }
    ok &= TakePolicySheetScreenshots(doc, &frame, dir);
    ok &= TakeHistoryScreenshots(doc, frame, dir);
    ok &= TakeUsageScreenshots(doc, frame, dir);
    ok &= TakeReportScreenshots(doc, &frame, dir);
    ok &= TakeUsersScreenshots(doc, frame, dir);
    ok &= TakeSettingsScreenshots(doc, &frame, dir);
    ok &= TakeCapacityScreenshots(doc, frame, dir);
    ok &= TakeHelpScreenshots(&frame, dir);
    // The main window on an 800x600 screen: the tree and the counters whole.
    frame.resize(800, 600);
    tree->SelectNode(tree->ServersRoot());
    ok &= SaveScreenshot(&frame, dir, QStringLiteral("main-800x600.png"));
    frame.hide();
    return ok ? 0 : 1;
}

} // namespace dm
