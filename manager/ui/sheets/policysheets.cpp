#include "manager/ui/sheets/policysheets.h"
#include "framework/displaytext.h"
#include "manager/ui/frame/helptopics.h"

#include "framework/propertysheet.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/frame/managerextensions.h"
#include "manager/ui/sheets/default1.h"
#include "manager/ui/sheets/default2.h"
#include "manager/ui/sheets/groupproperties.h"
#include "manager/ui/sheets/portpropgeneral.h"
#include "manager/ui/sheets/portproppolicies.h"

#include <memory>

namespace dm {

namespace {

void Run(CPropertySheet* created)
{
    std::unique_ptr<CPropertySheet> sheet(created);
    sheet->exec();
}

} // namespace

CPropertySheet* CreatePortSheet(CDMDoc& doc, const std::string& port, const std::string& server,
                                QWidget* parent)
{
    const QString title = QStringLiteral("Properties for %1 on %2")
                              .arg(DisplayText(port), DisplayText(server));
    auto* sheet = new CPropertySheet(title, parent);
    sheet->AddPage(new CPortPropGeneral(doc, port, server));
    sheet->AddPage(new CPortPropPolicies(doc, port, server));
    sheet->SetHelpContext(helptopic::PortProperties);
    sheet->resize(440, 380);
    return sheet;
}

CPropertySheet* CreateGroupSheet(CDMDoc& doc, const std::string& domain, const std::string& group,
                                 QWidget* parent)
{
    const QString title = QStringLiteral("Properties for %1\\%2")
                              .arg(DisplayText(domain), DisplayText(group));
    auto* sheet = new CPropertySheet(title, parent);
    sheet->AddPage(new CGroupProperties(doc, domain, group));
    sheet->SetHelpContext(helptopic::GroupProperties);
    sheet->resize(560, 330);
    return sheet;
}

CPropertySheet* CreateDefaultProfileSheet(CDMDoc& doc, QWidget* parent)
{
    auto* sheet = new CPropertySheet(QStringLiteral("Default Profile"), parent);
    sheet->AddPage(new CDefault1(doc));
    sheet->AddPage(new CDefault2(doc));
    sheet->SetHelpContext(helptopic::DefaultProfile);
    sheet->resize(640, 360);
    return sheet;
}

void RunPortSheet(CDMDoc& doc, QWidget* parent, const std::string& port, const std::string& server)
{
    if (!doc.CheckDatabaseFile(doc.Hardware().File()))
        return;
    Run(CreatePortSheet(doc, port, server, parent));
}

void RunGroupSheet(CDMDoc& doc, QWidget* parent, const std::string& domain, const std::string& group)
{
    if (!doc.CheckDatabaseFile(doc.Users().File()))
        return;
    Run(CreateGroupSheet(doc, domain, group, parent));
}

void RunDefaultProfileSheet(CDMDoc& doc, QWidget* parent)
{
    if (!doc.CheckDatabaseFile(doc.Hardware().File()))
        return;
    Run(CreateDefaultProfileSheet(doc, parent));
}

void AddPolicySheets(ManagerExtensions& extensions, CDMDoc& doc)
{
    extensions.portProperties = [&doc](QWidget* parent, const std::string& port, const std::string& server) {
        RunPortSheet(doc, parent, port, server);
    };
    extensions.groupProperties = [&doc](QWidget* parent, const std::string& domain, const std::string& group) {
        RunGroupSheet(doc, parent, domain, group);
    };
    extensions.defaultProperties = [&doc](QWidget* parent) { RunDefaultProfileSheet(doc, parent); };
}

} // namespace dm
