#pragma once
// The "Settings" page of a group's properties: the limits that apply to
// every member of one group, kept in the group's section "+source\group" of
// the user settings file. The page reads and writes that section directly.
// Amounts are written as typed, once the limits form has checked them.

#include "database/groupsettings.h"
#include "manager/ui/sheets/limitspage.h"

#include <string>

class QCheckBox;

namespace dm {

class CGroupProperties : public CLimitsPage {
    Q_OBJECT
public:
    CGroupProperties(CDMDoc& doc, std::string source, std::string group, QWidget* parent = nullptr);

    QCheckBox* MultiplePortsBox() const { return m_multiple; }

protected:
    void OnInitPage() override;
    bool OnApply() override;

private:
    std::string m_source;
    std::string m_group;
    QCheckBox* m_multiple = nullptr;
    GroupSettings m_shown; // what the page showed, or last saved
};

} // namespace dm
