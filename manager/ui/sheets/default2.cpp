#include "manager/ui/sheets/default2.h"

#include "framework/helpwindow.h"
#include "manager/core/dmdoc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace dm {

namespace {

// Nine digits keep every amount inside the 32 bits the file holds.
constexpr int kDigits = 9;

QString Amount(std::int32_t value)
{
    return QString::number(value);
}

std::int32_t ValueOf(const LimitRow& row)
{
    return row.On() ? row.field->text().toInt() : 0;
}

} // namespace

CDefault2::CDefault2(CDMDoc& doc, QWidget* parent)
    : CPropertyPage(QStringLiteral("Default Settings"), parent), m_doc(doc)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(12);
    m_multiple = new QCheckBox(QStringLiteral("&Allow user account to connect to more than one port simultaneously."), this);
    layout->addWidget(m_multiple);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(12);
    m_session = AddLimitRow(grid, 0, QStringLiteral("Maximum &session time:"), QStringLiteral("seconds"), kDigits, this);
    m_total = AddLimitRow(grid, 1, QStringLiteral("Maximum &total usage:"), QStringLiteral("seconds"), kDigits, this);
    m_expiry = AddLimitRow(grid, 2,
                           QStringLiteral("From the time of the first connection, have the account &expire after:"),
                           QStringLiteral("days"), kDigits, this);
    m_period = AddPeriodRow(grid, 3, QStringLiteral("&Limit session time to:"), kDigits, this);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    layout->addStretch(1);

    CHelpWindow::InstallWhatsThis(m_session.box, 44);
    CHelpWindow::InstallWhatsThis(m_session.field, 45);
    CHelpWindow::InstallWhatsThis(m_total.box, 46);
    CHelpWindow::InstallWhatsThis(m_total.field, 101);
    CHelpWindow::InstallWhatsThis(m_multiple, 50);
    CHelpWindow::InstallWhatsThis(m_expiry.box, 60);
    CHelpWindow::InstallWhatsThis(m_expiry.field, 61);
    CHelpWindow::InstallWhatsThis(m_period.box, 63);
    CHelpWindow::InstallWhatsThis(m_period.field, 64);
    CHelpWindow::InstallWhatsThis(m_period.period, 65);

    const auto changed = [this] { SetModified(); };
    for (const LimitRow* row : {&m_session, &m_total, &m_expiry, &m_period}) {
        ConnectLimitRow(*row, this, changed);
        connect(row->field, &QLineEdit::textEdited, this, changed);
    }
    connect(m_period.period, &QComboBox::activated, this, changed);
    connect(m_multiple, &QCheckBox::clicked, this, changed);
}

void CDefault2::OnInitPage()
{
    const DefaultProfile& profile = m_doc.Default();
    m_session.Show(profile.maxSessionTime != 0, Amount(profile.maxSessionTime));
    m_total.Show(profile.maxTotalTime != 0, Amount(profile.maxTotalTime));
    m_expiry.Show(profile.expiryTime != 0, Amount(profile.expiryTime));
    // A period type the choice cannot show is no period limit, as the
    // server component also takes it.
    const bool period = profile.periodType >= 1 && profile.periodType <= 3;
    m_period.Show(period, Amount(profile.periodMax));
    m_period.period->setCurrentIndex(period ? profile.periodType - 1 : 0);
    m_multiple->setChecked(!profile.noDuplicate);
}

bool CDefault2::OnApply()
{
    DefaultProfile& profile = m_doc.Default();
    profile.maxTotalTime = ValueOf(m_total);
    profile.expiryTime = ValueOf(m_expiry);
    profile.maxSessionTime = ValueOf(m_session);
    profile.noDuplicate = !m_multiple->isChecked();
    profile.periodMax = ValueOf(m_period);
    profile.periodType = profile.periodMax != 0 ? m_period.period->currentIndex() + 1 : 0;
    m_doc.SaveDefaultProfile();
    return true;
}

} // namespace dm
