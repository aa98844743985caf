#include "framework/propertypage.h"

namespace dm {

CPropertyPage::CPropertyPage(const QString& title, QWidget* parent) : QWidget(parent), m_title(title) {}

void CPropertyPage::SetModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    Q_EMIT modifiedChanged(modified);
}

void CPropertyPage::EnsureInitialized()
{
    if (m_initialized)
        return;
    // Set first, so that a page whose initialisation touches its controls
    // (and so emits change signals) is not initialised twice.
    m_initialized = true;
    OnInitPage();
    // Loading values into the controls is not a change by the person.
    SetModified(false);
}

bool CPropertyPage::Apply()
{
    if (!OnApply())
        return false;
    SetModified(false);
    return true;
}

} // namespace dm
