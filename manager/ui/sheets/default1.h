#pragma once
// The "Policy" page of the default profile: whether a user account that has
// no settings of its own may connect (and receives the default settings) or
// is turned away.

#include "database/hardwarerecords.h"
#include "framework/propertypage.h"

class QRadioButton;

namespace dm {

class CDMDoc;

class CDefault1 : public CPropertyPage {
    Q_OBJECT
public:
    explicit CDefault1(CDMDoc& doc, QWidget* parent = nullptr);

    QRadioButton* AllowButton() const { return m_allow; }
    QRadioButton* DenyButton() const { return m_deny; }

protected:
    void OnInitPage() override;
    bool OnApply() override;

private:
    CDMDoc& m_doc;
    DefaultProfile m_shown; // what the page showed, or last saved
    QRadioButton* m_allow = nullptr;
    QRadioButton* m_deny = nullptr;
};

} // namespace dm
