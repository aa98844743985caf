#include "manager/ui/sheets/default2.h"

#include "framework/helpwindow.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/sheets/savechecks.h"

#include <QCheckBox>
#include <QVBoxLayout>

namespace dm {

namespace {

// The user's Time Restrictions page names the limits alike, without mnemonics.
CLimitsForm::Captions DefaultCaptions()
{
    CLimitsForm::Captions captions;
    captions.session = QStringLiteral("Maximum &session time:");
    captions.total = QStringLiteral("Maximum &total usage:");
    captions.expiry = QStringLiteral("From the time of the first connection, have the account &expire after:");
    captions.period = QStringLiteral("&Limit session time to:");
    return captions;
}

} // namespace

CDefault2::CDefault2(CDMDoc& doc, QWidget* parent)
    : CLimitsPage(QStringLiteral("Default Settings"), doc, DefaultCaptions(), parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(12);
    m_multiple = new QCheckBox(QStringLiteral("&Allow user account to connect to more than one port simultaneously."), this);
    layout->addWidget(m_multiple);
    layout->addWidget(m_form);
    layout->addStretch(1);

    m_form->InstallHelp({{44, 46, 60, 63}, {45, 101, 61, 64}, 65});
    CHelpWindow::InstallWhatsThis(m_multiple, 50);

    connect(m_multiple, &QCheckBox::clicked, this, [this] { SetModified(); });
}

void CDefault2::OnInitPage()
{
    // Set here, once the page lies in its sheet: moving the page into the
    // sheet puts its controls back in the order they were made.
    m_form->FollowInTabOrder(m_multiple);
    m_doc.Hardware().Refresh();
    m_shown = m_doc.Default();
    const DefaultProfile& profile = m_shown;
    m_form->Load(FormLimitsOf(profile));
    m_multiple->setChecked(!profile.noDuplicate);
}

bool CDefault2::OnApply()
{
    const std::optional<LimitsReading> reading = ReadForm();
    if (!reading)
        return false;
    DefaultProfile profile = m_shown;
    SetFormLimits(profile, reading->limits);
    profile.noDuplicate = !m_multiple->isChecked();
    if (!m_doc.Hardware().SaveDefaultChanges(m_shown, profile))
        return ReportSaveFailure(m_doc, m_doc.Hardware().File());
    m_shown = profile;
    m_form->MarkSaved(reading->limits);
    return true;
}

} // namespace dm
