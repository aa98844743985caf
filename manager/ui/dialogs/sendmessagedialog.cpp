#include "manager/ui/dialogs/sendmessagedialog.h"
#include "manager/ui/frame/helptopics.h"
#include "framework/helpwindow.h"

#include "common/userinteraction.h"
#include "platform/system/execute.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>

namespace dm {

CSendMessageDialog::CSendMessageDialog(const QString& recipient, UserInteraction& ui, QWidget* parent)
    : QDialog(parent), m_recipient(recipient), m_ui(ui)
{
    setWindowTitle(QStringLiteral("Send Message to %1").arg(recipient));
    CHelpWindow::SetWindowHelp(this, helptopic::SendMessage);
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
    connect(m_text->document(), &QTextDocument::contentsChange, this, [this](int position, int, int added) {
        m_editPosition = position;
        m_editAdded = added;
    });
    connect(m_text, &QPlainTextEdit::textChanged, this, &CSendMessageDialog::LimitText);
    connect(m_send, &QPushButton::clicked, this, &CSendMessageDialog::Send);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_text->setFocus(Qt::OtherFocusReason);
}

void CSendMessageDialog::LimitText()
{
    const int excess = m_text->toPlainText().size() - kMaxText;
    if (excess <= 0 || m_limiting)
        return;
    m_limiting = true;
    // A key typed into a full message is refused: the characters that the
    // edit added beyond the limit are taken out again where they went in, and
    // the cursor stays where the typing left it. A paste keeps what fits.
    const int end = std::min(m_editPosition + m_editAdded, m_text->document()->characterCount() - 1);
    const int start = std::max(m_editPosition, end - excess);
    QTextCursor cursor(m_text->document());
    if (end - start == excess) {
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        QTextCursor shown = m_text->textCursor();
        shown.setPosition(start);
        m_text->setTextCursor(shown);
    } else {
        // Text set as a whole: keep its first characters.
        cursor.setPosition(kMaxText);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        m_text->moveCursor(QTextCursor::End);
    }
    m_limiting = false;
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
