// The server tree's accounts: the network's domains, and on expansion a
// domain's global groups and user accounts.

#include "manager/core/dmdoc.h"
#include "manager/ui/tree/dmview.h"
#include "manager/core/networkaccounts.h"
#include "manager/core/networkenumerator.h"

#include <QSignalBlocker>

namespace dm {

void CDMView::InsertDomains()
{
    NetworkEnumerator::EnumerateDomains([this](const std::string& domain) {
        QTreeWidgetItem* node = AddNamedNode(m_accountsRoot, domain, 9);
        // Stands for the contents until the domain is expanded.
        AddNode(node, QStringLiteral("DUMMY"), 0);
    });
}

void CDMView::ExpandDomain(QTreeWidgetItem* item)
{
    {
        const QSignalBlocker blocker(this);
        DeleteChildren(item);
    }
    // A domain whose controller cannot be found shows nothing.
    const auto controller = NetworkAccounts::FindDomainController(NameOf(item));
    if (!controller)
        return;
    for (const std::string& group : NetworkAccounts::GlobalGroups(*controller))
        AddNamedNode(item, group, 10);
    const std::vector<std::string> users = NetworkAccounts::Users(*controller);
    // Every account's permission from one reading of the controller's accounts.
    std::vector<std::uint8_t> privileges;
    if (m_doc.Settings().userIcons)
        privileges = m_doc.GetUserRasPermissions(*controller, std::vector<std::string_view>(users.begin(), users.end()));
    for (std::size_t i = 0; i < users.size(); ++i) {
        // No permission read, or no dial-in bit: the crossed-out picture.
        const bool crossed = !privileges.empty() && (privileges[i] & 8) == 0;
        AddNamedNode(item, users[i], crossed ? 14 : 8);
    }
}

} // namespace dm
