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
    const bool icons = m_doc.Settings().userIcons;
    for (const std::string& user : NetworkAccounts::Users(*controller)) {
        int image = 8;
        if (icons) {
            // No permission read, or no dial-in bit: the crossed-out picture.
            std::string callback;
            const std::uint8_t privilege = m_doc.GetUserRasPermission(*controller, user, callback);
            if (privilege == 0 || (privilege & 8) == 0)
                image = 14;
        }
        AddNamedNode(item, user, image);
    }
}

} // namespace dm
