#pragma once
// The "Settings" page of a group's properties: the limits that apply to
// every member of one group, kept in the group's section "+source\group" of
// the user settings file. The page reads and writes that section directly.
// Amounts are written as typed, and only numbers are accepted.

#include "framework/propertypage.h"
#include "manager/ui/sheets/limitrows.h"

#include <string>

class QCheckBox;

namespace dm {

class CDMDoc;

class CGroupProperties : public CPropertyPage {
    Q_OBJECT
public:
    CGroupProperties(CDMDoc& doc, std::string source, std::string group, QWidget* parent = nullptr);

    const LimitRow& SessionRow() const { return m_session; }
    const LimitRow& TotalRow() const { return m_total; }
    const LimitRow& PeriodRow() const { return m_period; }
    QCheckBox* MultiplePortsBox() const { return m_multiple; }

    // Leading blanks and digits, at most a signed 32-bit value; empty counts
    // as no amount.
    static bool IsSeconds(const QString& text);

protected:
    void OnInitPage() override;
    bool OnApply() override;

private:
    bool CheckAmount(const LimitRow& row);

    CDMDoc& m_doc;
    std::string m_source;
    std::string m_group;
    LimitRow m_session;
    LimitRow m_total;
    LimitRow m_period;
    QCheckBox* m_multiple = nullptr;
};

} // namespace dm
