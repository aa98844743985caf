#include "setup/wizard/1_welcome.h"

#include <QLabel>
#include <QVBoxLayout>

namespace dm {

C1_Welcome::C1_Welcome(WizardFlow& flow, QWidget* parent) : CSetupPage(flow, parent)
{
    AddText("Welcome to the Dialminder (TM) installation program.");
    AddText("It is strongly recommended that you exit all other Windows programs, before "
            "continuing the installation program.");
    Content()->addStretch(1);
    QLabel* notice = AddText(
        "This program is protected by copyright law and international treaties. Unauthorized "
        "reproduction or distribution of this program, or any portion of it, may result in "
        "severe civil and criminal penalties, and will be prosecuted to the maximum extent "
        "possible under the law.");
    notice->setObjectName("legalNotice");
}

} // namespace dm
