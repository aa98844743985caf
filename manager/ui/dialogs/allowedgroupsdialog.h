#pragma once
// "Add Allowed Groups": picks groups and user accounts of a domain for a
// port's access list. Half a second after it opens, the dialog browses the
// network for its domains and workgroups and lists the groups and accounts
// of the first; choosing another domain lists that one's. "Add" hands back
// each selected entry as its kind letter ("G" global group, "L" local group,
// "U" user account) followed by its name, and the domain as the source.

#include "manager/core/allowedgroupsource.h"

#include <QDialog>
#include <QIcon>

#include <string>
#include <vector>

class QComboBox;
class QPushButton;
class QTimer;
class QTreeWidget;

namespace dm {

class UserInteraction;

// The picture of an account entry by its kind letter: user, global group,
// local group.
QIcon AccountKindIcon(char kind);

class CAllowedGroupsDialog : public QDialog {
    Q_OBJECT
public:
    CAllowedGroupsDialog(UserInteraction& ui, NetworkBrowsing& network, QWidget* parent = nullptr);

    // Set by "Add"; empty after "Close".
    const std::vector<std::string>& Result() const { return m_result; }
    const std::string& Source() const { return m_source; }
    const std::vector<std::string>& Domains() const { return m_domains; }

    // The timer's work: browse the network, fill the domains, list the first.
    void OnTimer();
    // Lists the groups and accounts of the domain the combo box shows.
    void ListAccounts();

    QComboBox* DomainBox() const { return m_domainBox; }
    QTreeWidget* List() const { return m_list; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* CloseButton() const { return m_close; }
    QTimer* StartTimer() const { return m_timer; }

private:
    void OnAdd();
    void OnSelectionChanged();

    UserInteraction& m_ui;
    NetworkBrowsing& m_network;
    std::vector<std::string> m_domains;
    std::vector<std::string> m_result;
    std::string m_source;
    QTimer* m_timer = nullptr;
    QComboBox* m_domainBox = nullptr;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_close = nullptr;
};

} // namespace dm
