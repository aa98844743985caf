#pragma once
// "Send Message": a pop-up message of up to 300 characters to the computer
// (or user) connected on a port, delivered with "net send NAME TEXT". The
// command is started without a shell, so the text runs nothing whatever
// characters it holds.

#include <QDialog>
#include <QString>

#include <string>

class QPlainTextEdit;
class QPushButton;

namespace dm {

class UserInteraction;

class CSendMessageDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxText = 300;

    CSendMessageDialog(const QString& recipient, UserInteraction& ui, QWidget* parent = nullptr);

    QString Recipient() const { return m_recipient; }
    QPlainTextEdit* TextField() const { return m_text; }
    QPushButton* SendButton() const { return m_send; }
    // "net send <recipient> <text>", the text as typed.
    static std::string BuildCommand(const QString& recipient, const QString& text);
    // The result of starting the last command (0 when it started).
    unsigned long LastResult() const { return m_result; }

public Q_SLOTS:
    void Send();

private:
    void LimitText();

    QString m_recipient;
    // Where the last edit put its text, so that what goes beyond the limit
    // is taken from that edit and not from the end of the message.
    int m_editPosition = 0;
    int m_editAdded = 0;
    bool m_limiting = false;
    UserInteraction& m_ui;
    QPlainTextEdit* m_text = nullptr;
    QPushButton* m_send = nullptr;
    unsigned long m_result = 0;
};

} // namespace dm
