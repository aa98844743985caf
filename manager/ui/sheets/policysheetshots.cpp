#include "manager/ui/sheets/policysheetshots.h"

#include "framework/propertysheet.h"
#include "manager/core/allowedaccounts.h"
#include "manager/core/allowedgroupsource.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/dialogs/allowedgroupsdialog.h"
#include "manager/ui/sheets/policysheets.h"
#include "manager/ui/sheets/portproppolicies.h"
#include "platform/files/profile.h"

#include "manager/ui/frame/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTreeWidget>

#include <cstdio>
#include <memory>

namespace dm {

namespace {

// The first port that has a static address (the General page then shows
// every field), else the first port with settings.
const PortSettings* PortWithAddress(CDMDoc& doc)
{
    const PortSettings* first = nullptr;
    for (const PortSettings& port : doc.PortSettingsTable()) {
        if (port.staticIP != 0)
            return &port;
        if (!first)
            first = &port;
    }
    return first;
}

// The first port whose group list holds a local and a global group.
const PortSettings* PortWithGroups(CDMDoc& doc)
{
    for (const PortSettings& port : doc.PortSettingsTable()) {
        bool global = false, local = false;
        for (const AllowedAccount& account : ParseAllowedAccounts(doc.Hardware().ReadPortAccessLists(port.serverName, port.portName))) {
            global = global || account.kind == AllowedAccount::GlobalGroup;
            local = local || account.kind == AllowedAccount::LocalGroup;
        }
        if (global && local)
            return &port;
    }
    return nullptr;
}

bool ShootPortSheet(CDMDoc& doc, QWidget* parent, const QDir& dir)
{
    bool ok = true;
    if (const PortSettings* port = PortWithAddress(doc)) {
        std::unique_ptr<CPropertySheet> sheet(CreatePortSheet(doc, port->portName, port->serverName, parent));
        sheet->show();
        ok &= SaveScreenshot(sheet.get(), dir, QStringLiteral("port-general.png"));
        sheet->reject();
    } else {
        std::fprintf(stderr, "dialmind: no port settings for the port sheet's picture\n");
        ok = false;
    }
    const PortSettings* port = PortWithGroups(doc);
    if (!port) {
        std::fprintf(stderr, "dialmind: no port with an access list for the port sheet's picture\n");
        return false;
    }
    std::unique_ptr<CPropertySheet> sheet(CreatePortSheet(doc, port->portName, port->serverName, parent));
    sheet->show();
    sheet->SetActivePage(1);
    // A user account of the same domain beside the groups: one entry of each kind.
    auto* page = static_cast<CPortPropPolicies*>(sheet->Page(1));
    const std::vector<AllowedAccount> listed = page->Entries();
    if (!listed.empty()) {
        const std::string domain = listed.front().name.substr(0, listed.front().name.find('\\'));
        for (const AccountChoice& choice : ListDomainAccounts(domain)) {
            if (choice.kind == 'U') {
                page->AddChosen({"U" + choice.name}, domain);
                break;
            }
        }
    }
    ok &= SaveScreenshot(sheet.get(), dir, QStringLiteral("port-permissions.png"));
    sheet->reject();
    return ok;
}

bool ShootAllowedGroups(CDMDoc& doc, QWidget* parent, const QDir& dir)
{
    CAllowedGroupsDialog dialog(doc.Interaction(), NetworkBrowsing::System(), parent);
    dialog.show();
    dialog.OnTimer();
    QTreeWidget* list = dialog.List();
    for (int i = 0; i < list->topLevelItemCount() && i < 6; ++i)
        list->topLevelItem(i)->setSelected(i == 1 || i == 3);
    const bool ok = SaveScreenshot(&dialog, dir, QStringLiteral("allowed-groups.png"));
    dialog.reject();
    if (dialog.Domains().empty()) {
        std::fprintf(stderr, "dialmind: the network showed no domains for Add Allowed Groups\n");
        return false;
    }
    return ok;
}

} // namespace

bool TakePolicySheetScreenshots(CDMDoc& doc, QWidget* parent, const QDir& dir)
{
    bool ok = ShootPortSheet(doc, parent, dir);
    ok &= ShootAllowedGroups(doc, parent, dir);

    // The first group that has limits of its own ("+DOMAIN\group").
    std::string domain, group;
    for (const std::string& section : GetPrivateProfileSectionNames(doc.Users().File())) {
        const std::size_t slash = section.find('\\');
        if (section.size() > 1 && section.front() == '+' && slash != std::string::npos) {
            domain = section.substr(1, slash - 1);
            group = section.substr(slash + 1);
            break;
        }
    }
    if (group.empty()) {
        std::fprintf(stderr, "dialmind: no group settings for the group sheet's picture\n");
        ok = false;
    } else {
        std::unique_ptr<CPropertySheet> sheet(CreateGroupSheet(doc, domain, group, parent));
        sheet->show();
        ok &= SaveScreenshot(sheet.get(), dir, QStringLiteral("group-settings.png"));
        sheet->reject();
    }
    std::unique_ptr<CPropertySheet> sheet(CreateDefaultProfileSheet(doc, parent));
    sheet->show();
    ok &= SaveScreenshot(sheet.get(), dir, QStringLiteral("default-policy.png"));
    sheet->SetActivePage(1);
    ok &= SaveScreenshot(sheet.get(), dir, QStringLiteral("default-settings.png"));
    sheet->reject();
    return ok;
}

} // namespace dm
