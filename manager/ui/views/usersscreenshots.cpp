// The users view and the user sheet's pages as a person sees them, for
// dialmind --screenshots.

#include "framework/propertysheet.h"
#include "framework/displaytext.h"
#include "manager/core/dmdoc.h"
#include "manager/core/sortdirection.h"
#include "manager/ui/frame/mainframe.h"
#include "manager/ui/frame/screenshots.h"
#include "manager/ui/sheets/userpages.h"
#include "manager/ui/sheets/usersheet.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/views/historyscreenshots.h"
#include "manager/ui/views/usersmodel.h"
#include "manager/ui/views/usersview.h"

#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeView>
#include <QTreeWidget>

#include <memory>

namespace dm {

bool TakeUsersScreenshots(CDMDoc& doc, CMainFrame& frame, const QDir& dir)
{
    bool ok = true;
    CDMView* tree = frame.TreeView();
    tree->SelectNode(tree->AccountsRoot());
    auto* view = qobject_cast<CUsersView*>(frame.RightPane());
    if (!view)
        return false;
    // The busiest accounts first.
    SharedSortDirection() = 1;
    view->SortByColumn(1);
    ok &= SaveScreenshot(&frame, dir, QStringLiteral("users-view.png"));
    if (view->Model()->rowCount() == 0)
        return false;
    // The printed pages from a narrow and from a wide window.
    const QSize size = frame.size();
    frame.resize(800, 600);
    ok &= SaveScreenshot(&frame, dir, QStringLiteral("users-view-800x600.png"));
    ok &= SavePrintedPages(view->Printout(), dir, QStringLiteral("users-printed-narrow"));
    frame.resize(1600, 1000);
    ok &= SavePrintedPages(view->Printout(), dir, QStringLiteral("users-printed-wide"));
    frame.resize(size);

    const std::string account = view->Model()->Texts(0)[UsersColumnUser];
    std::unique_ptr<CPropertySheet> sheet(
        CreateUserSheet(doc, account, DisplayText(account), UserSheetPages::All, &frame));
    sheet->show();
    const char* names[] = {"user-general.png", "user-time.png", "user-ip.png", "user-ntras.png"};
    for (int page = 0; page < sheet->PageCount(); ++page) {
        sheet->SetActivePage(page);
        if (page == 0) {
            auto* general = static_cast<CUserPropGeneral*>(sheet->Page(0));
            general->Statistics()->topLevelItem(0)->setSelected(true);
        }
        ok &= SaveScreenshot(sheet.get(), dir, QString::fromLatin1(names[page]));
    }
    // The refusal of a preset call-back without a number keeps the sheet open.
    auto* nt = static_cast<CUserNTPrivs*>(sheet->Page(3));
    if (nt->Callback(CallbackPreset)->isEnabled()) {
        nt->Callback(CallbackPreset)->click();
        nt->PhoneField()->clear();
        ok &= SaveScreenshot(sheet.get(), dir, QStringLiteral("user-ntras-preset.png"));
    }
    sheet->reject();
    return ok;
}

} // namespace dm
