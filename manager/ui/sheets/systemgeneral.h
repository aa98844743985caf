#pragma once
// The "General" page of System Settings: the central database directory,
// shown read-only.

#include "framework/propertypage.h"

class QLineEdit;

namespace dm {

class CDMDoc;

class CSystemGeneral : public CPropertyPage {
    Q_OBJECT
public:
    explicit CSystemGeneral(CDMDoc& doc, QWidget* parent = nullptr);
    QLineEdit* ShareField() const { return m_share; }

protected:
    void OnInitPage() override;

private:
    CDMDoc& m_doc;
    QLineEdit* m_share = nullptr;
};

} // namespace dm
