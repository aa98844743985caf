#include "manager/ui/sheets/userpages.h"
#include "framework/displaytext.h"

#include "common/userinteraction.h"
#include "framework/helpwindow.h"
#include "manager/core/dmdoc.h"
#include "manager/core/messagecaption.h"
#include "manager/core/networkaccounts.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include <cstdio>

namespace dm {

CUserNTPrivs::CUserNTPrivs(CDMDoc& doc, std::string account, QWidget* parent)
    : CPropertyPage(QStringLiteral("NT RAS"), parent), m_doc(doc), m_account(std::move(account))
{
    SetWantsContextHelp(true);
    m_controllerLabel = new QLabel(this);
    m_dialIn = new QCheckBox(QStringLiteral("Allowed to dialin through RAS."), this);
    CHelpWindow::InstallWhatsThis(m_dialIn, 69);
    auto* group = new QGroupBox(QStringLiteral("Call Back"), this);
    auto* grid = new QGridLayout(group);
    const char* names[] = {"&No Call Back", "&Set By Caller", "&Preset To:"};
    auto* buttons = new QButtonGroup(this);
    for (int i = 0; i < 3; ++i) {
        m_callback[i] = new QRadioButton(QString::fromLatin1(names[i]), group);
        buttons->addButton(m_callback[i], i);
        CHelpWindow::InstallWhatsThis(m_callback[i], 70);
        grid->addWidget(m_callback[i], i, 0);
        connect(m_callback[i], &QRadioButton::clicked, this, &CUserNTPrivs::OnChanged);
    }
    m_phone = new QLineEdit(group);
    m_phone->setMaxLength(48);
    m_phone->setEnabled(false);
    grid->addWidget(m_phone, 2, 1);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->addWidget(m_controllerLabel);
    layout->addWidget(m_dialIn);
    layout->addWidget(group);
    layout->addStretch(1);
    connect(m_dialIn, &QCheckBox::clicked, this, &CUserNTPrivs::OnChanged);
    connect(m_phone, &QLineEdit::textEdited, this, [this] { SetModified(); });
}

void CUserNTPrivs::OnInitPage()
{
    m_phone->clear();
    const std::string domain = m_account.substr(0, m_account.find('\\'));
    unsigned long error = 0;
    const std::optional<std::string> controller = NetworkAccounts::FindDomainController(domain, &error);
    if (!controller) {
        char text[64];
        std::snprintf(text, sizeof text, "Error getting PDC (%lu)", error);
        m_doc.Interaction().ShowMessage(text, kMessageCaption, Buttons::Ok, Icon::Error);
        m_controllerLabel->setText(QStringLiteral("No domain controller was found for %1.")
                                       .arg(DisplayText(domain)));
        return;
    }
    m_controller = *controller;
    m_controllerLabel->setText(QStringLiteral("Domain controller: %1").arg(DisplayText(m_controller)));
    const std::string user = m_account.substr(m_account.find('\\') + 1);
    std::string phone;
    const std::uint8_t bits = m_doc.GetUserRasPermission(m_controller, user, phone);
    m_dialIn->setChecked(bits & 8);
    const CallbackChoice choice = CallbackOf(bits);
    if (choice != CallbackUnset)
        m_callback[choice]->setChecked(true);
    if (choice == CallbackPreset)
        m_phone->setText(DisplayText(phone));
    m_phone->setEnabled(choice == CallbackPreset);
}

CallbackChoice CUserNTPrivs::Chosen() const
{
    for (int i = 0; i < 3; ++i)
        if (m_callback[i]->isChecked())
            return static_cast<CallbackChoice>(i);
    return CallbackUnset;
}

void CUserNTPrivs::OnChanged()
{
    SetModified();
    m_phone->setEnabled(Chosen() == CallbackPreset);
}

bool CUserNTPrivs::OnApply()
{
    if (m_controller.empty()) {
        // There is no server to write to; the permissions go nowhere else.
        if (!m_reportedMissingController) {
            m_reportedMissingController = true;
            const std::string domain = m_account.substr(0, m_account.find('\\'));
            m_doc.Interaction().ShowMessage(
                "The RAS permissions were not saved: no domain controller was found for " + domain + ".",
                kMessageCaption, Buttons::Ok, Icon::Warning);
        }
        return true;
    }
    const CallbackChoice choice = Chosen();
    const std::string phone = m_phone->text().toStdString();
    if (choice == CallbackPreset && phone.empty()) {
        m_doc.Interaction().ShowMessage("You have set the Call Back option to 'Preset To' without\n"
                                        "supplying a preset phone number.",
                                        kMessageCaption, Buttons::Ok, Icon::Error);
        return false;
    }
    const std::string user = m_account.substr(m_account.find('\\') + 1);
    m_doc.SetUserRasPermission(m_controller, user, PermissionBits(m_dialIn->isChecked(), choice),
                               choice == CallbackPreset ? phone : std::string());
    return true;
}

} // namespace dm
