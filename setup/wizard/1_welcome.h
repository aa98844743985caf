#pragma once
#include "setup/wizard/setuppage.h"

namespace dm {

// Page 0: the greeting and the legal notice.
class C1_Welcome : public CSetupPage {
    Q_OBJECT
public:
    explicit C1_Welcome(WizardFlow& flow, QWidget* parent = nullptr);
};

} // namespace dm
