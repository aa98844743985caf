#include "setup/wizard/confirm.h"

#include <QLabel>
#include <QVBoxLayout>

namespace dm {

CConfirm::CConfirm(WizardFlow& flow, QWidget* parent) : CSetupPage(flow, parent)
{
    AddText("The Setup program will...");
    m_serverLine = AddText(".. install the Server Component");
    m_managerLine = AddText(".. install the Dialminder Manager");
    Content()->addSpacing(16);
    AddText("Click on 'FINISH' to complete the installation.");
    Content()->addStretch(1);
}

void CConfirm::Load()
{
    m_serverLine->setVisible(m_flow.ShowsServerLine());
    m_managerLine->setVisible(m_flow.ShowsManagerLine());
}

} // namespace dm
