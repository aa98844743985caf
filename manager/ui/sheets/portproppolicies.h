#pragma once
// The "Permissions" page of a port's properties: when "Only allow these
// local and global groups" is on, only the listed user accounts and the
// members of the listed groups may connect on the port. The list is saved as
// the port's two access lists; a cleared check box saves both empty.

#include "framework/propertypage.h"
#include "database/hardwarerecords.h"
#include "manager/core/allowedaccounts.h"

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QPushButton;
class QTreeWidget;

namespace dm {

class CDMDoc;

class CPortPropPolicies : public CPropertyPage {
    Q_OBJECT
public:
    // Asks for accounts to add: fills result with kind letter + name and
    // source with the domain they come from; false when nothing was chosen.
    using AccountChooser =
        std::function<bool(QWidget* parent, std::vector<std::string>& result, std::string& source)>;

    CPortPropPolicies(CDMDoc& doc, std::string port, std::string server, QWidget* parent = nullptr);

    // The Add Allowed Groups dialog unless a test sets another chooser.
    void SetAccountChooser(AccountChooser chooser) { m_chooser = std::move(chooser); }

    // The entries as listed, in list order.
    std::vector<AllowedAccount> Entries() const;
    // Adds what a chooser handed back, as "Add..." does.
    void AddChosen(const std::vector<std::string>& result, const std::string& source);

    QCheckBox* OnlyBox() const { return m_only; }
    QTreeWidget* List() const { return m_list; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* RemoveButton() const { return m_remove; }
    const std::string& Source() const { return m_source; }

protected:
    void OnInitPage() override;
    bool OnApply() override;

private:
    void AddEntry(const AllowedAccount& account);
    void OnOnlyClicked();
    void OnAdd();
    void OnRemove();
    void EnableControls();

    CDMDoc& m_doc;
    PortAccessLists m_shown; // what the page showed, or last saved
    std::string m_port;
    std::string m_server;
    std::string m_source;
    AccountChooser m_chooser;
    QCheckBox* m_only = nullptr;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
};

} // namespace dm
