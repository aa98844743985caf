#pragma once
// A page of the setup wizard: the setup picture on the left, the page's own
// controls on the right. Load fills the controls from the wizard's flow when
// the page is shown; Store hands the controls' values back before the page
// is left.

#include "setup/wizardflow.h"

#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace dm {

class CSetupPage : public QWidget {
    Q_OBJECT
public:
    CSetupPage(WizardFlow& flow, QWidget* parent = nullptr);

    virtual void Load() {}
    virtual void Store() {}

signals:
    // A control changed something the wizard's buttons depend on.
    void Changed();

protected:
    // The column right of the picture that the page fills.
    QVBoxLayout* Content() const { return m_content; }
    // A label that wraps, for the page texts.
    QLabel* AddText(const QString& text);

    WizardFlow& m_flow;

private:
    QVBoxLayout* m_content = nullptr;
};

} // namespace dm
