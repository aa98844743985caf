#include "manager/ui/sheets/limitspage.h"

#include "manager/core/dmdoc.h"

namespace dm {

CLimitsPage::CLimitsPage(const QString& title, CDMDoc& doc, const CLimitsForm::Captions& captions,
                         QWidget* parent)
    : CPropertyPage(title, parent), m_doc(doc), m_form(new CLimitsForm(captions, this))
{
    connect(m_form, &CLimitsForm::changed, this, [this] { SetModified(); });
}

bool CLimitsPage::OnCheck()
{
    return ReadForm().has_value();
}

std::optional<LimitsReading> CLimitsPage::ReadForm()
{
    return m_form->ReadOrRefuse(m_doc.Interaction());
}

} // namespace dm
