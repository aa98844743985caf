#include "manager/ui/dialogs/sendmessagedialog.h"

#include "common/userinteraction.h"
#include "platform/execute.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace dm {

CSendMessageDialog::CSendMessageDialog(const QString& recipient, UserInteraction& ui, QWidget* parent)
    : QDialog(parent), m_recipient(recipient), m_ui(ui)
{
    setWindowTitle(QStringLiteral("Send Message to %1").arg(recipient));
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("&Message:"), this);
    m_text = new QPlainTextEdit(this);
    m_text->setTabChangesFocus(true);
    m_text->setMinimumSize(380, 120);
    label->setBuddy(m_text);
    auto* note = new QLabel(
        QStringLiteral("The user needs to have Messenger Service or WinPopup running, in order to receive the message."),
        this);
    note->setWordWrap(true);
    QPalette muted = note->palette();
    muted.setColor(QPalette::WindowText, muted.color(QPalette::PlaceholderText));
    note->setPalette(muted);
    auto* buttons = new QDialogButtonBox(this);
    m_send = buttons->addButton(QStringLiteral("&Send"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    m_send->setDefault(true);
    layout->addWidget(label);
    layout->addWidget(m_text);
    layout->addWidget(note);
    layout->addWidget(buttons);
    connect(m_text, &QPlainTextEdit::textChanged, this, &CSendMessageDialog::LimitText);
    connect(m_send, &QPushButton::clicked, this, &CSendMessageDialog::Send);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_text->setFocus(Qt::OtherFocusReason);
}

void CSendMessageDialog::LimitText()
{
    const QString text = m_text->toPlainText();
    if (text.size() <= kMaxText)
        return;
    const QSignalBlocker blocker(m_text);
    m_text->setPlainText(text.left(kMaxText));
    m_text->moveCursor(QTextCursor::End);
}

std::string CSendMessageDialog::BuildCommand(const QString& recipient, const QString& text)
{
    return "net send " + recipient.toStdString() + " " + text.toStdString();
}

void CSendMessageDialog::Send()
{
    // Whether the message arrives is not checked: the messenger may be off.
    m_result = ExecuteCommand(BuildCommand(m_recipient, m_text->toPlainText()), ShowMode::Hidden);
    accept();
}

} // namespace dm
