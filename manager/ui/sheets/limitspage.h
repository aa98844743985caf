#pragma once
// What the three limits pages (a user's Time Restrictions, the Default
// Settings, a group's Settings) have in common: the limits form with the
// page's captions, a change in it marking the page modified, and the check
// that refuses a value that does not fit before any page of the sheet
// writes. Each page places the form in its own layout and saves what it
// saves.

#include "framework/propertypage.h"
#include "manager/ui/sheets/limitsform.h"

#include <optional>

namespace dm {

class CDMDoc;

class CLimitsPage : public CPropertyPage {
    Q_OBJECT
public:
    CLimitsForm* Form() const { return m_form; }

protected:
    CLimitsPage(const QString& title, CDMDoc& doc, const CLimitsForm::Captions& captions, QWidget* parent);

    bool OnCheck() override;
    // The form's values, or nullopt once the person has been told what is refused.
    std::optional<LimitsReading> ReadForm();

    CDMDoc& m_doc;
    CLimitsForm* m_form = nullptr;
};

} // namespace dm
