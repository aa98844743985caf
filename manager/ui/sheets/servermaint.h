#pragma once
// The "Server Maintenance" page of System Settings: the server component of
// each monitored server, its Master Server share and version. Moving to
// another server writes the pending changes of the one shown before the next
// is read, so each server's edit lands on that server.

#include "framework/propertypage.h"

#include <string>

class QLabel;
class QLineEdit;
class QListWidget;
class QRadioButton;

namespace dm {

class CDMDoc;

class CServerMaint : public CPropertyPage {
    Q_OBJECT
public:
    explicit CServerMaint(CDMDoc& doc, QWidget* parent = nullptr);

    // Reads the server of the list's row, first writing pending changes.
    void SelectServer(int row);
    bool HasPendingChanges() const { return m_pending; }

    QListWidget* ServerList() const { return m_list; }
    QLineEdit* ShareField() const { return m_share; }
    QLabel* VersionText() const { return m_version; }
    QRadioButton* MasterYes() const { return m_yes; }
    QRadioButton* MasterNo() const { return m_no; }

protected:
    void OnInitPage() override;
    bool OnApply() override;

private:
    void ClearFields();
    void MarkChanged();
    bool WritePending();

    CDMDoc& m_doc;
    bool m_pending = false;
    QListWidget* m_list = nullptr;
    QLineEdit* m_share = nullptr;
    std::string m_shownShare; // the share as read; the field shows its DisplayText
    QLabel* m_version = nullptr;
    QRadioButton* m_yes = nullptr;
    QRadioButton* m_no = nullptr;
};

} // namespace dm
