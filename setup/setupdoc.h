#pragma once
// The setup program's document: the person's choices for this run and the
// wizard's path through its pages.

#include "setup/wizardflow.h"

namespace dm {

class CSetupDoc {
public:
    explicit CSetupDoc(UserInteraction& ui) : m_flow(ui) {}

    WizardFlow& Flow() { return m_flow; }
    SetupChoices& Choices() { return m_flow.Choices(); }

private:
    WizardFlow m_flow;
};

} // namespace dm
