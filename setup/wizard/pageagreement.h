#pragma once
#include "setup/wizard/setuppage.h"

class QPlainTextEdit;

namespace dm {

// Page 1: the software agreement in a read-only text field.
class CPageAgreement : public CSetupPage {
    Q_OBJECT
public:
    explicit CPageAgreement(WizardFlow& flow, QWidget* parent = nullptr);

private:
    QPlainTextEdit* m_text = nullptr;
};

} // namespace dm
