#pragma once
// The "Default Settings" page of the default profile: the limits a user
// account without settings of its own receives when it may connect. The
// multiple ports check box is stored as on the user and group pages: on is
// NoDuplicate 0.

#include "database/hardwarerecords.h"
#include "manager/ui/sheets/limitspage.h"

class QCheckBox;

namespace dm {

class CDefault2 : public CLimitsPage {
    Q_OBJECT
public:
    explicit CDefault2(CDMDoc& doc, QWidget* parent = nullptr);

    QCheckBox* MultiplePortsBox() const { return m_multiple; }

protected:
    void OnInitPage() override;
    bool OnApply() override;

private:
    QCheckBox* m_multiple = nullptr;
    DefaultProfile m_shown; // what the page showed, or last saved
};

} // namespace dm
