#include "manager/ui/sheets/portpropgeneral.h"

#include "common/userinteraction.h"
#include "framework/helpwindow.h"
#include "database/policyform.h"
#include "manager/core/dmdoc.h"
#include "manager/core/messagecaption.h"
#include "manager/ui/sheets/pagenote.h"
#include "manager/ui/sheets/savechecks.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace dm {

namespace {

QLineEdit* DigitsField(QWidget* parent, int digits, int width)
{
    auto* field = new QLineEdit(parent);
    field->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(digits)), field));
    field->setAlignment(Qt::AlignRight);
    field->setFixedWidth(width);
    return field;
}

} // namespace

CPortPropGeneral::CPortPropGeneral(CDMDoc& doc, std::string port, std::string server, QWidget* parent)
    : CPropertyPage(QStringLiteral("General"), parent), m_doc(doc), m_port(std::move(port)),
      m_server(std::move(server))
{
    SetWantsContextHelp(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(10);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(12);
    m_sessionBox = new QCheckBox(QStringLiteral("&Maximum session time:"), this);
    // Nine digits: a limit of some thirty years, and never beyond 32 bits.
    m_seconds = DigitsField(this, 9, 90);
    auto* secondsRow = new QHBoxLayout;
    secondsRow->setSpacing(6);
    secondsRow->addWidget(m_seconds);
    secondsRow->addWidget(new QLabel(QStringLiteral("seconds"), this));
    secondsRow->addStretch(1);
    grid->addWidget(m_sessionBox, 0, 0);
    grid->addLayout(secondsRow, 0, 1);

    m_addressBox = new QCheckBox(QStringLiteral("&Static IP address:"), this);
    auto* addressRow = new QHBoxLayout;
    addressRow->setSpacing(4);
    for (size_t i = 0; i < m_octets.size(); ++i) {
        m_octets[i] = DigitsField(this, 3, 46);
        m_octets[i]->setAlignment(Qt::AlignCenter);
        addressRow->addWidget(m_octets[i]);
        if (i + 1 < m_octets.size())
            addressRow->addWidget(new QLabel(QStringLiteral("."), this));
    }
    addressRow->addStretch(1);
    grid->addWidget(m_addressBox, 1, 0);
    grid->addLayout(addressRow, 1, 1);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addWidget(PageNote(QStringLiteral("Sessions on this port end when the maximum session time is reached. "
                                           "A caller on this port receives the static IP address."),
                            this));
    layout->addStretch(1);

    CHelpWindow::InstallWhatsThis(m_sessionBox, 33);
    CHelpWindow::InstallWhatsThis(m_seconds, 34);
    CHelpWindow::InstallWhatsThis(m_addressBox, 35);
    for (QLineEdit* octet : m_octets)
        CHelpWindow::InstallWhatsThis(octet, 36);

    connect(m_sessionBox, &QCheckBox::clicked, this, &CPortPropGeneral::OnSessionClicked);
    connect(m_addressBox, &QCheckBox::clicked, this, &CPortPropGeneral::OnAddressClicked);
    connect(m_seconds, &QLineEdit::textChanged, this, [this] { SetModified(); });
    for (QLineEdit* octet : m_octets)
        connect(octet, &QLineEdit::textChanged, this, [this] { SetModified(); });
}

void CPortPropGeneral::OnInitPage()
{
    // What the file holds now; a port without a section shows no limit and
    // no address, and gets a section only when Apply sets something.
    m_shown = m_doc.Hardware().ReadPort(m_server, m_port);
    const PortSettings& record = m_shown;

    m_sessionBox->setChecked(record.maxSessionTime != 0);
    m_seconds->setText(record.maxSessionTime != 0 ? QString::number(record.maxSessionTime) : QString());
    m_addressBox->setChecked(record.staticIP != 0);
    for (size_t i = 0; i < m_octets.size(); ++i) {
        const unsigned octet = (record.staticIP >> (24 - 8 * i)) & 0xFFu;
        m_octets[i]->setText(record.staticIP != 0 ? QString::number(octet) : QString());
    }
    EnableFields();
}

void CPortPropGeneral::EnableFields()
{
    m_seconds->setEnabled(m_sessionBox->isChecked());
    for (QLineEdit* octet : m_octets)
        octet->setEnabled(m_addressBox->isChecked());
}

void CPortPropGeneral::OnSessionClicked(bool checked)
{
    EnableFields();
    if (checked)
        m_seconds->setFocus(Qt::OtherFocusReason);
    SetModified();
}

void CPortPropGeneral::OnAddressClicked(bool)
{
    EnableFields();
    SetModified();
}

bool CPortPropGeneral::OnApply()
{
    std::uint32_t address = 0;
    if (m_addressBox->isChecked()) {
        for (QLineEdit* octet : m_octets) {
            // A value above 255 would spill into the octet before it.
            const auto value = ParseAmount(octet->text().toStdString(), 255);
            if (!value)
                return RefuseField(m_doc, octet, "Each part of an IP address must be a number from 0 to 255.");
            address = (address << 8) | static_cast<std::uint32_t>(*value);
        }
    }
    std::int32_t seconds = 0;
    if (m_sessionBox->isChecked()) {
        const auto amount = CheckedAmount(m_doc, m_seconds, "maximum session time");
        if (!amount)
            return false;
        seconds = *amount;
    }
    PortSettings edited = m_shown;
    edited.maxSessionTime = seconds;
    edited.staticIP = address;
    WaitCursor wait(m_doc.Interaction());
    if (!m_doc.Hardware().SavePortChanges(m_shown, edited))
        return ReportSaveFailure(m_doc, m_doc.Hardware().File());
    m_shown = edited;
    return true;
}

} // namespace dm
