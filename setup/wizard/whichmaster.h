#pragma once
#include "setup/wizard/setuppage.h"

class QLineEdit;

namespace dm {

// Page 5: the computer that hosts the master server component.
class CWhichMaster : public CSetupPage {
    Q_OBJECT
public:
    explicit CWhichMaster(WizardFlow& flow, QWidget* parent = nullptr);
    void Load() override;
    void Store() override;

    QLineEdit* ComputerField() const { return m_computer; }

private:
    QLineEdit* m_computer = nullptr;
};

} // namespace dm
