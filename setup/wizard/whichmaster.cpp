#include "setup/wizard/whichmaster.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace dm {

CWhichMaster::CWhichMaster(WizardFlow& flow, QWidget* parent) : CSetupPage(flow, parent)
{
    AddText("Which computer is hosting the master Dialminder server component?");
    auto* form = new QFormLayout;
    m_computer = new QLineEdit(this);
    m_computer->setObjectName("computerField");
    form->addRow("Computer:", m_computer);
    Content()->addLayout(form);
    Content()->addStretch(1);
    connect(m_computer, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_flow.m_computerField = text.toStdString();
        emit Changed();
    });
}

void CWhichMaster::Load() { m_computer->setText(QString::fromStdString(m_flow.m_computerField)); }

void CWhichMaster::Store() { m_flow.m_computerField = m_computer->text().toStdString(); }

} // namespace dm
