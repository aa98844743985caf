#pragma once
#include "setup/wizard/setuppage.h"

class QRadioButton;

namespace dm {

// Page 4: is this server component the master?
class CCentralOrNot : public CSetupPage {
    Q_OBJECT
public:
    explicit CCentralOrNot(WizardFlow& flow, QWidget* parent = nullptr);
    void Load() override;
    void Store() override;

    QRadioButton* YesButton() const { return m_yes; }
    QRadioButton* NoButton() const { return m_no; }

private:
    QRadioButton* m_yes = nullptr;
    QRadioButton* m_no = nullptr;
};

} // namespace dm
