#pragma once
// The "General" page of a port's properties: the longest session the port
// allows and the static IP address a caller on it receives. Both live in the
// port's record of the document's port table and are saved with the
// hardware settings file; opening the page for a port that has no record
// yet creates one (and so the port's section).

#include "database/hardwarerecords.h"
#include "framework/propertypage.h"

#include <array>
#include <string>

class QCheckBox;
class QLineEdit;

namespace dm {

class CDMDoc;

class CPortPropGeneral : public CPropertyPage {
    Q_OBJECT
public:
    CPortPropGeneral(CDMDoc& doc, std::string port, std::string server, QWidget* parent = nullptr);

    QCheckBox* SessionBox() const { return m_sessionBox; }
    QLineEdit* SecondsField() const { return m_seconds; }
    QCheckBox* AddressBox() const { return m_addressBox; }
    QLineEdit* OctetField(int index) const { return m_octets.at(static_cast<size_t>(index)); }
    // The index of the port's record in the document's table, -1 before the
    // page was shown.

protected:
    void OnInitPage() override;
    bool OnApply() override;

private:
    void OnSessionClicked(bool checked);
    void OnAddressClicked(bool checked);
    void EnableFields();

    CDMDoc& m_doc;
    std::string m_port;
    std::string m_server;
    PortSettings m_shown; // what the page showed, or last saved
    QCheckBox* m_sessionBox = nullptr;
    QLineEdit* m_seconds = nullptr;
    QCheckBox* m_addressBox = nullptr;
    std::array<QLineEdit*, 4> m_octets{};
};

} // namespace dm
