#pragma once
// The "Default Settings" page of the default profile: the limits a user
// account without settings of its own receives when it may connect. The
// multiple ports check box is stored as on the user and group pages: on is
// NoDuplicate 0.

#include "framework/propertypage.h"
#include "manager/ui/sheets/limitrows.h"

class QCheckBox;

namespace dm {

class CDMDoc;

class CDefault2 : public CPropertyPage {
    Q_OBJECT
public:
    explicit CDefault2(CDMDoc& doc, QWidget* parent = nullptr);

    QCheckBox* MultiplePortsBox() const { return m_multiple; }
    const LimitRow& SessionRow() const { return m_session; }
    const LimitRow& TotalRow() const { return m_total; }
    const LimitRow& ExpiryRow() const { return m_expiry; }
    const LimitRow& PeriodRow() const { return m_period; }

protected:
    void OnInitPage() override;
    bool OnApply() override;

private:
    CDMDoc& m_doc;
    QCheckBox* m_multiple = nullptr;
    LimitRow m_session;
    LimitRow m_total;
    LimitRow m_expiry;
    LimitRow m_period;
};

} // namespace dm
