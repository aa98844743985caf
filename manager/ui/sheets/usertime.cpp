#include "manager/ui/sheets/userpages.h"

#include "manager/core/dmdoc.h"
#include "manager/ui/sheets/savechecks.h"

#include <QVBoxLayout>

namespace dm {

CUserTime::CUserTime(CDMDoc& doc, QWidget* parent)
    : CLimitsPage(QStringLiteral("Time Restrictions"), doc,
                  {QStringLiteral("Maximum session time:"), QStringLiteral("Maximum total usage:"),
                   QStringLiteral("From the time of the first connection, have the account expire after:"),
                   QStringLiteral("Limit session time to:")},
                  parent)
{
    SetWantsContextHelp(true);
    m_form->InstallHelp({{44, 46, 60, 63}, {45, 49, 61, 64}, 0});
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->addWidget(m_form);
    layout->addStretch(1);
}

void CUserTime::OnInitPage()
{
    m_form->Load(FormLimitsOf(m_doc.EditRecord()));
}

bool CUserTime::OnApply()
{
    const std::optional<LimitsReading> reading = ReadForm();
    if (!reading)
        return false;
    SetFormLimits(m_doc.EditRecord(), reading->limits);
    if (!m_doc.CommitEditedUser())
        return ReportSaveFailure(m_doc, m_doc.Users().File());
    m_form->MarkSaved(reading->limits);
    return true;
}

} // namespace dm
