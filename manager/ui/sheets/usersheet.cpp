#include "manager/ui/sheets/usersheet.h"
#include "manager/ui/frame/helptopics.h"

#include "framework/propertysheet.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/sheets/userpages.h"

#include <memory>

namespace dm {

CPropertySheet* CreateUserSheet(CDMDoc& doc, const std::string& account, const QString& title,
                                UserSheetPages pages, QWidget* parent)
{
    auto* sheet = new CPropertySheet(QStringLiteral("Properties for %1").arg(title), parent);
    sheet->AddPage(new CUserPropGeneral(doc, account));
    sheet->AddPage(new CUserTime(doc));
    sheet->AddPage(new CUserPropIP(doc));
    if (pages == UserSheetPages::All)
        sheet->AddPage(new CUserNTPrivs(doc, account));
    sheet->SetHelpContext(helptopic::UserProperties);
    sheet->resize(480, 400);
    return sheet;
}

bool RunUserSheet(CDMDoc& doc, const std::string& account, const QString& title, UserSheetPages pages,
                  QWidget* parent)
{
    if (!doc.CheckDatabaseFile(doc.Users().File()))
        return false;
    std::unique_ptr<CPropertySheet> sheet(CreateUserSheet(doc, account, title, pages, parent));
    return sheet->exec() == QDialog::Accepted;
}

} // namespace dm
