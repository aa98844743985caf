#include "setup/wizard/guide.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace dm {

CGuide::CGuide(WizardFlow& flow, std::function<void()> openQuickIntro, QWidget* parent)
    : CSetupPage(flow, parent), m_openQuickIntro(std::move(openQuickIntro))
{
    AddText("If this is the first time you install Dialminder for Windows NT\u00ae, you are "
            "invited to browse through the Quick Intro before continuing installing.");
    auto* row = new QHBoxLayout;
    auto* button = new QPushButton("QuickIntro...", this);
    button->setObjectName("quickIntroButton");
    row->addWidget(button);
    row->addStretch(1);
    Content()->addLayout(row);
    Content()->addStretch(1);
    connect(button, &QPushButton::clicked, this, [this] {
        if (m_openQuickIntro)
            m_openQuickIntro();
    });
}

} // namespace dm
