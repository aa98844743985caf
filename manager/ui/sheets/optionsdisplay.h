#pragma once
// The "Display" page of the Options sheet: the refresh rate in seconds and
// whether accounts show their RAS dial-in permission.

#include "framework/propertypage.h"

class QCheckBox;
class QLineEdit;

namespace dm {

class UserInteraction;

class COptionsDisplay : public CPropertyPage {
    Q_OBJECT
public:
    explicit COptionsDisplay(UserInteraction& ui, QWidget* parent = nullptr);

    // The opener fills these before the sheet shows; Apply hands them back.
    int m_interval = 30;
    bool m_userIcons = true;

    QLineEdit* IntervalField() const { return m_field; }
    QCheckBox* IconsBox() const { return m_icons; }

protected:
    void OnInitPage() override;
    bool OnApply() override;

private:
    void OnEdited();

    UserInteraction& m_ui;
    QLineEdit* m_field = nullptr;
    QCheckBox* m_icons = nullptr;
};

} // namespace dm
