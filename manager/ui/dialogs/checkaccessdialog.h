#pragma once
// Check Access: an account, a server, a port and a moment in; out, what the
// server component would decide for that call and why, exactly as
// `dmctl policy explain --network-groups` tells it: admitted or denied with
// the reason the history shows, each limit with the section that supplied
// it, time used and left, expiry, the planned cut, the static address, the
// greeting and the notices. The caller's groups are read from the network
// accounts. Nothing is written.

#include <QDialog>

#include <string>

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QSpinBox;

namespace dm {

class CDMDoc;

class CCheckAccessDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kHelpContext = 901;

    // Any of account, server and port may be empty; the moment is now.
    CCheckAccessDialog(CDMDoc& doc, const std::string& account, const std::string& server, const std::string& port,
                       QWidget* parent = nullptr);

    // Explains the call in the fields; false (with the reason shown in the
    // answer box) when the fields or the network accounts do not allow it.
    bool Check();
    QString AnswerText() const;
    void CopyToClipboard();

    QLineEdit* AccountField() const { return m_account; }
    QComboBox* ServerField() const { return m_server; }
    QComboBox* PortField() const { return m_port; }
    QDateTimeEdit* MomentField() const { return m_moment; }
    QSpinBox* PortsHeldField() const { return m_portsHeld; }
    QLabel* GroupsLabel() const { return m_groups; }

private:
    void FillPorts();
    static std::string ChosenName(const QComboBox* box);

    CDMDoc& m_doc;
    std::string m_givenAccount; // as stored; the field shows its DisplayText
    QLineEdit* m_account = nullptr;
    QComboBox* m_server = nullptr;
    QComboBox* m_port = nullptr;
    QDateTimeEdit* m_moment = nullptr;
    QSpinBox* m_portsHeld = nullptr;
    QLabel* m_groups = nullptr;
    QPlainTextEdit* m_answer = nullptr;
};

// Runs the dialog modally.
void RunCheckAccess(CDMDoc& doc, const std::string& account, const std::string& server, const std::string& port,
                    QWidget* parent);

} // namespace dm
