#pragma once
#include "setup/wizard/setuppage.h"

class QLabel;

namespace dm {

// Page 6: what setup will do; Finish starts it.
class CConfirm : public CSetupPage {
    Q_OBJECT
public:
    explicit CConfirm(WizardFlow& flow, QWidget* parent = nullptr);
    void Load() override;

    QLabel* ServerLine() const { return m_serverLine; }
    QLabel* ManagerLine() const { return m_managerLine; }

private:
    QLabel* m_serverLine = nullptr;
    QLabel* m_managerLine = nullptr;
};

} // namespace dm
