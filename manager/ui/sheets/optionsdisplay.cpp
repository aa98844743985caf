#include "manager/ui/sheets/optionsdisplay.h"

#include "common/userinteraction.h"
#include "manager/core/managersettings.h"
#include "manager/core/messagecaption.h"
#include "framework/helpwindow.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace dm {

COptionsDisplay::COptionsDisplay(UserInteraction& ui, QWidget* parent)
    : CPropertyPage(QStringLiteral("Display"), parent), m_ui(ui)
{
    SetWantsContextHelp(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(14);
    auto* row = new QHBoxLayout;
    auto* before = new QLabel(QStringLiteral("&Update Session Data every"), this);
    m_field = new QLineEdit(this);
    m_field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,6}")), m_field));
    m_field->setMaximumWidth(70);
    m_field->setAlignment(Qt::AlignRight);
    before->setBuddy(m_field);
    row->addWidget(before);
    row->addWidget(m_field);
    row->addWidget(new QLabel(QStringLiteral("seconds."), this));
    row->addStretch(1);
    layout->addLayout(row);
    m_icons = new QCheckBox(QStringLiteral("Display accounts with icons indicating Windows NT RAS dialin permissions."), this);
    layout->addWidget(m_icons);
    layout->addStretch(1);
    CHelpWindow::InstallWhatsThis(m_field, 67);
    CHelpWindow::InstallWhatsThis(m_icons, 68);
    connect(m_field, &QLineEdit::textEdited, this, &COptionsDisplay::OnEdited);
    connect(m_icons, &QCheckBox::clicked, this, &COptionsDisplay::OnEdited);
}

void COptionsDisplay::OnInitPage()
{
    m_field->setText(QString::number(m_interval));
    m_icons->setChecked(m_userIcons);
}

void COptionsDisplay::OnEdited()
{
    // Only a value above 5 counts as a change worth applying.
    if (m_field->text().toInt() > 5)
        SetModified(true);
}

bool COptionsDisplay::OnApply()
{
    const qlonglong interval = m_field->text().toLongLong();
    if (interval < 5) {
        m_ui.ShowMessage("Please enter a refresh rate larger than 5 seconds.", kMessageCaption, Buttons::Ok, Icon::Information);
        return false;
    }
    // A longer period than a day is taken as a day.
    m_interval = ManagerSettings::ClampInterval(interval);
    m_field->setText(QString::number(m_interval));
    m_userIcons = m_icons->isChecked();
    return true;
}

} // namespace dm
