#include "setup/wizard/centralornot.h"

#include <QRadioButton>
#include <QVBoxLayout>

namespace dm {

CCentralOrNot::CCentralOrNot(WizardFlow& flow, QWidget* parent) : CSetupPage(flow, parent)
{
    AddText("Will this installation of the Dialminder Server component serve as your 'master' "
            "one? (If you are planning on having only one Dialminder Server component on your "
            "network, then this one should be treated as the master).");
    m_yes = new QRadioButton("Yes, this will be the master Dialminder Server component.", this);
    m_yes->setObjectName("yesButton");
    m_no = new QRadioButton("No, I have another installation serving as the master one already.",
                            this);
    m_no->setObjectName("noButton");
    Content()->addWidget(m_yes);
    Content()->addWidget(m_no);
    Content()->addStretch(1);
}

void CCentralOrNot::Load()
{
    m_yes->setChecked(m_flow.m_masterYes);
    m_no->setChecked(!m_flow.m_masterYes);
}

void CCentralOrNot::Store() { m_flow.m_masterYes = m_yes->isChecked(); }

} // namespace dm
