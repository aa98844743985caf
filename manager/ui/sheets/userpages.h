#pragma once
// The user property sheet's pages. They share the document's edit record:
// the General page, always first, prepares it; each page's Apply writes its
// values into it and commits it (CommitEditedUser), which saves only what
// changed, so counters a server wrote meanwhile are kept.
//
//   CUserPropGeneral  "General": statistics, Reset, several ports at once
//   CUserTime         "Time Restrictions": session, total, expiry, period
//   CUserPropIP       "IP Address": the static address
//   CUserNTPrivs      "NT RAS": dial-in and call-back at the domain's controller

#include "framework/propertypage.h"
#include "manager/core/useredit.h"
#include "manager/ui/sheets/limitspage.h"

#include <string>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace dm {

class CDMDoc;

class CUserPropGeneral : public CPropertyPage {
    Q_OBJECT
public:
    CUserPropGeneral(CDMDoc& doc, std::string account, QWidget* parent = nullptr);

    bool IsNewAccount() const { return m_new; }
    QTreeWidget* Statistics() const { return m_list; }
    QPushButton* ResetButton() const { return m_reset; }
    QCheckBox* MultiplePorts() const { return m_multiple; }
    void ResetSelected();

protected:
    void OnInitPage() override;
    bool OnApply() override;
    void showEvent(QShowEvent* event) override;

private:
    void FillStatistics();

    CDMDoc& m_doc;
    std::string m_account;
    bool m_new = false;
    QTreeWidget* m_list = nullptr;
    QPushButton* m_reset = nullptr;
    QCheckBox* m_multiple = nullptr;
};

class CUserTime : public CLimitsPage {
    Q_OBJECT
public:
    explicit CUserTime(CDMDoc& doc, QWidget* parent = nullptr);

protected:
    void OnInitPage() override;
    bool OnApply() override;
};

class CUserPropIP : public CPropertyPage {
    Q_OBJECT
public:
    explicit CUserPropIP(CDMDoc& doc, QWidget* parent = nullptr);

    QCheckBox* AssignBox() const { return m_assign; }
    QLineEdit* Octet(int index) const { return m_octets[index]; }

protected:
    void OnInitPage() override;
    bool OnApply() override;

private:
    void UpdateEnabling();

    CDMDoc& m_doc;
    QCheckBox* m_assign = nullptr;
    QLineEdit* m_octets[4] = {};
};

class CUserNTPrivs : public CPropertyPage {
    Q_OBJECT
public:
    CUserNTPrivs(CDMDoc& doc, std::string account, QWidget* parent = nullptr);

    QLabel* ControllerLabel() const { return m_controllerLabel; }
    QCheckBox* DialIn() const { return m_dialIn; }
    QRadioButton* Callback(CallbackChoice choice) const { return m_callback[choice]; }
    QLineEdit* PhoneField() const { return m_phone; }

protected:
    void OnInitPage() override;
    bool OnApply() override;

private:
    CallbackChoice Chosen() const;
    void OnChanged();

    CDMDoc& m_doc;
    std::string m_account;
    std::string m_controller; // "\\DC"; empty when none was found
    QLabel* m_controllerLabel = nullptr;
    QCheckBox* m_dialIn = nullptr;
    QRadioButton* m_callback[3] = {};
    QLineEdit* m_phone = nullptr;
    bool m_reportedMissingController = false;
};

} // namespace dm
