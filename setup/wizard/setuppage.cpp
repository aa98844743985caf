#include "setup/wizard/setuppage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

// The picture lives in the wizard's static library, whose resources must be
// registered by name before first use.
static void InitSetupResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(setup);
        return true;
    }();
    (void)done;
}

namespace dm {

CSetupPage::CSetupPage(WizardFlow& flow, QWidget* parent) : QWidget(parent), m_flow(flow)
{
    auto* row = new QHBoxLayout(this);
    InitSetupResources();
    auto* picture = new QLabel(this);
    picture->setObjectName("setupPicture");
    picture->setPixmap(QPixmap(":/setup/setuppicture.svg"));
    picture->setAlignment(Qt::AlignTop);
    row->addWidget(picture);
    m_content = new QVBoxLayout;
    row->addLayout(m_content, 1);
}

QLabel* CSetupPage::AddText(const QString& text)
{
    auto* label = new QLabel(text, this);
    label->setWordWrap(true);
    m_content->addWidget(label);
    return label;
}

} // namespace dm
