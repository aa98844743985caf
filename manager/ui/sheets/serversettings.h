#pragma once
// The "Idle timeout" page of a server's properties: whether and after how
// many minutes the server disconnects idle sessions (the RAS service's
// AutoDisconnect and the server component's IdleTimer, read and written
// together through the server's registry).

#include "framework/propertypage.h"

#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;

namespace dm {

class CDMDoc;

class CServerSettings : public CPropertyPage {
    Q_OBJECT
public:
    CServerSettings(CDMDoc& doc, std::string server, QWidget* parent = nullptr);

    // False when the server's values could not be read; the page then shows
    // nothing and writes nothing.
    bool ReadSucceeded() const { return m_read; }
    QCheckBox* IdleBox() const { return m_box; }
    QLineEdit* MinutesField() const { return m_minutes; }

protected:
    void OnInitPage() override;
    bool OnApply() override;

private:
    void OnBoxClicked(bool checked);

    CDMDoc& m_doc;
    std::string m_server;
    bool m_read = false;
    QLabel* m_name = nullptr;
    QLabel* m_failure = nullptr;
    QCheckBox* m_box = nullptr;
    QLineEdit* m_minutes = nullptr;
};

} // namespace dm
