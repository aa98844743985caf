#pragma once
#include "setup/wizard/setuppage.h"

#include <functional>

namespace dm {

// Page 2: the invitation to the quick introduction. openQuickIntro shows it
// and returns at once.
class CGuide : public CSetupPage {
    Q_OBJECT
public:
    CGuide(WizardFlow& flow, std::function<void()> openQuickIntro, QWidget* parent = nullptr);

private:
    std::function<void()> m_openQuickIntro;
};

} // namespace dm
