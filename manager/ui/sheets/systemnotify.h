#pragma once
// The "Notifications" page of System Settings: the two notices the server
// component sends before an automatic disconnect, each with a lead time in
// seconds and a one-line text. A picture chooses which one is edited.

#include "database/hardwarerecords.h"
#include "framework/propertypage.h"

#include <array>
#include <string>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;

namespace dm {

class CDMDoc;
class CNotifySelector;

class CSystemNotify : public CPropertyPage {
    Q_OBJECT
public:
    explicit CSystemNotify(CDMDoc& doc, QWidget* parent = nullptr);

    // Makes notification index (0 or 1) the edited one, as a click on its
    // half of the picture does.
    void Choose(int index);
    int Edited() const { return m_edited; }

    QCheckBox* ActivatedBox() const { return m_activated; }
    QLineEdit* SecondsField() const { return m_seconds; }
    QPlainTextEdit* TextField() const { return m_text; }
    CNotifySelector* Selector() const { return m_selector; }

protected:
    void OnInitPage() override;
    bool OnApply() override;

private:
    struct Edit {
        bool active = false;
        std::int64_t seconds = 0; // -1: a typed value that does not fit
        std::string text;
    };
    void OnActivated(bool checked);
    void StoreFields();
    void ShowEdited();
    void EnableFields(bool enabled);
    void LimitText();

    CDMDoc& m_doc;
    NotificationSettings m_shown; // what the page showed, or last saved
    std::array<Edit, 2> m_notices;
    int m_edited = 0;
    QCheckBox* m_activated = nullptr;
    QLineEdit* m_seconds = nullptr;
    QPlainTextEdit* m_text = nullptr;
    CNotifySelector* m_selector = nullptr;
};

} // namespace dm
