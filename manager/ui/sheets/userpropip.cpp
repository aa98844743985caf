#include "manager/ui/sheets/userpages.h"

#include "common/userinteraction.h"
#include "framework/helpwindow.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/sheets/savechecks.h"
#include "manager/core/messagecaption.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace dm {

CUserPropIP::CUserPropIP(CDMDoc& doc, QWidget* parent)
    : CPropertyPage(QStringLiteral("IP Address"), parent), m_doc(doc)
{
    m_assign = new QCheckBox(QStringLiteral("Always assign this IP address:"), this);
    CHelpWindow::InstallWhatsThis(m_assign, 51);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(24, 0, 0, 0);
    row->setSpacing(2);
    for (int i = 0; i < 4; ++i) {
        m_octets[i] = new QLineEdit(this);
        m_octets[i]->setValidator(new QIntValidator(0, 255, m_octets[i]));
        m_octets[i]->setMaxLength(3);
        m_octets[i]->setMaximumWidth(48);
        m_octets[i]->setAlignment(Qt::AlignCenter);
        CHelpWindow::InstallWhatsThis(m_octets[i], 52);
        connect(m_octets[i], &QLineEdit::textEdited, this, [this] { SetModified(); });
        row->addWidget(m_octets[i]);
        if (i < 3)
            row->addWidget(new QLabel(QStringLiteral("."), this));
    }
    row->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->addWidget(m_assign);
    layout->addLayout(row);
    layout->addStretch(1);
    connect(m_assign, &QCheckBox::clicked, this, [this] {
        UpdateEnabling();
        SetModified();
    });
    UpdateEnabling();
}

void CUserPropIP::UpdateEnabling()
{
    for (QLineEdit* octet : m_octets)
        octet->setEnabled(m_assign->isChecked());
}

void CUserPropIP::OnInitPage()
{
    const std::uint32_t address = m_doc.EditRecord().staticIP;
    if (address != 0) {
        m_assign->setChecked(true);
        const auto parts = UnpackAddress(address);
        for (int i = 0; i < 4; ++i)
            m_octets[i]->setText(QString::fromStdString(parts[static_cast<std::size_t>(i)]));
    }
    UpdateEnabling();
}

bool CUserPropIP::OnApply()
{
    std::uint32_t address = 0;
    if (m_assign->isChecked()) {
        std::array<std::string, 4> parts;
        for (int i = 0; i < 4; ++i)
            parts[static_cast<std::size_t>(i)] = m_octets[i]->text().toStdString();
        const std::optional<std::uint32_t> packed = PackAddress(parts);
        if (!packed) {
            m_doc.Interaction().ShowMessage(kOctetRangeMessage, kMessageCaption, Buttons::Ok, Icon::Error);
            return false;
        }
        address = *packed;
    }
    m_doc.EditRecord().staticIP = address;
    if (!m_doc.CommitEditedUser())
        return ReportSaveFailure(m_doc, m_doc.Users().File());
    return true;
}

} // namespace dm
