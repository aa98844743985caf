// The Capacity view and the Check Access dialog for `dialmind --screenshots`.

#include "manager/core/dmdoc.h"
#include "manager/ui/dialogs/checkaccessdialog.h"
#include "manager/ui/frame/mainframe.h"
#include "manager/ui/frame/screenshots.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/views/capacityview.h"

#include <QDir>
#include <QSpinBox>

namespace dm {

bool TakeCapacityScreenshots(CDMDoc& doc, CMainFrame& frame, const QDir& dir)
{
    bool ok = true;
    // The server with the most ports, selected in the tree.
    const ServerEntry* biggest = nullptr;
    for (const ServerEntry& server : doc.Servers())
        if (!biggest || server.portCount > biggest->portCount)
            biggest = &server;
    if (!biggest)
        return false;
    CDMView* tree = frame.TreeView();
    if (QTreeWidgetItem* node = tree->FindNamed(biggest->name, tree->ServersRoot()))
        tree->SelectNode(node);
    {
        CCapacityView view(doc, &frame);
        view.show();
        ok &= view.Load();
        ok &= SaveScreenshot(&view, dir, QStringLiteral("capacity.png"));
        view.LimitField()->setValue(60);
        ok &= SaveScreenshot(&view, dir, QStringLiteral("capacity-session-limit.png"));
        view.reject();
    }
    tree->SelectNode(tree->ServersRoot());
    {
        CCapacityView view(doc, &frame);
        view.show();
        ok &= view.Load();
        ok &= SaveScreenshot(&view, dir, QStringLiteral("capacity-all-servers.png"));
        view.reject();
    }

    // A caller who is in session now, asked about a port of the same server.
    std::string account, server, port;
    for (const ServerEntry& entry : doc.Servers())
        for (const PortSlot& slot : entry.slots)
            if (account.empty() && !slot.user.empty()) {
                account = slot.user;
                server = entry.name;
                port = slot.portName;
            }
    CCheckAccessDialog dialog(doc, account, server, port, &frame);
    dialog.show();
    ok &= SaveScreenshot(&dialog, dir, QStringLiteral("check-access.png"));
    dialog.reject();
    return ok;
}

} // namespace dm
