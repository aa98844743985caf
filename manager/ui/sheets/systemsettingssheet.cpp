#include "manager/ui/sheets/systemsettingssheet.h"
#include "framework/displaytext.h"
#include "manager/ui/frame/helptopics.h"

#include "framework/propertysheet.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/sheets/servermaint.h"
#include "manager/ui/sheets/serversettings.h"
#include "manager/ui/sheets/systemdatabase.h"
#include "manager/ui/sheets/systemgeneral.h"
#include "manager/ui/sheets/systemnotify.h"

#include <memory>

namespace dm {

CPropertySheet* CreateSystemSettingsSheet(CDMDoc& doc, QWidget* parent)
{
    auto* sheet = new CPropertySheet(QStringLiteral("System Settings"), parent);
    sheet->AddPage(new CSystemGeneral(doc));
    sheet->AddPage(new CSystemNotify(doc));
    sheet->AddPage(new CServerMaint(doc));
    sheet->AddPage(new CSystemDatabase(doc));
    sheet->SetHelpContext(helptopic::SystemSettings);
    sheet->resize(600, 440);
    return sheet;
}

void RunSystemSettingsSheet(CDMDoc& doc, QWidget* parent)
{
    // The Notifications page edits Dialmind.hw.
    if (!doc.CheckDatabaseFile(doc.Hardware().File()))
        return;
    std::unique_ptr<CPropertySheet> sheet(CreateSystemSettingsSheet(doc, parent));
    sheet->exec();
}

CPropertySheet* CreateServerSheet(CDMDoc& doc, const std::string& server, QWidget* parent)
{
    auto* sheet = new CPropertySheet(QStringLiteral("Properties for %1").arg(DisplayText(server)), parent);
    sheet->AddPage(new CServerSettings(doc, server));
    sheet->SetHelpContext(helptopic::ServerProperties);
    sheet->resize(520, 300);
    return sheet;
}

void RunServerSheet(CDMDoc& doc, const std::string& server, QWidget* parent)
{
    std::unique_ptr<CPropertySheet> sheet(CreateServerSheet(doc, server, parent));
    sheet->exec();
}

} // namespace dm
