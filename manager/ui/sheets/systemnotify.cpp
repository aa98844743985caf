#include "manager/ui/sheets/systemnotify.h"

#include "framework/displaytext.h"
#include "framework/helpwindow.h"
#include "database/policyform.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/sheets/savechecks.h"
#include "manager/ui/sheets/systemsettingssheet.h"
#include "manager/ui/sheets/notifyselector.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>

#include <algorithm>

namespace dm {

namespace {
// The longest text the file keeps (its field holds 500 with the end mark).
constexpr int kMaxText = static_cast<int>(Notice::TextCapacity) - 1;
} // namespace

CSystemNotify::CSystemNotify(CDMDoc& doc, QWidget* parent)
    : CPropertyPage(QStringLiteral("Notifications"), parent), m_doc(doc)
{
    SetHelpTopic(kSystemSettingsHelp);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(18);
    m_selector = new CNotifySelector(this);
    layout->addWidget(m_selector, 0, Qt::AlignTop);

    auto* fields = new QGridLayout;
    fields->setVerticalSpacing(10);
    auto* intro = new QLabel(QStringLiteral("Users can be warned twice before a time limit disconnects them."), this);
    intro->setWordWrap(true);
    m_activated = new QCheckBox(QStringLiteral("&Activated"), this);
    auto* when = new QHBoxLayout;
    auto* before = new QLabel(QStringLiteral("Send &when"), this);
    m_seconds = new QLineEdit(this);
    m_seconds->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), m_seconds));
    m_seconds->setMaximumWidth(80);
    m_seconds->setAlignment(Qt::AlignRight);
    before->setBuddy(m_seconds);
    when->addWidget(before);
    when->addWidget(m_seconds);
    when->addWidget(new QLabel(QStringLiteral("secs left of session."), this));
    when->addStretch(1);
    auto* textLabel = new QLabel(QStringLiteral("Message &text:"), this);
    m_text = new QPlainTextEdit(this);
    m_text->setTabChangesFocus(true);
    textLabel->setBuddy(m_text);
    fields->addWidget(intro, 0, 0);
    fields->addWidget(m_activated, 1, 0);
    fields->addLayout(when, 2, 0);
    fields->addWidget(textLabel, 3, 0);
    fields->addWidget(m_text, 4, 0);
    fields->setRowStretch(4, 1);
    layout->addLayout(fields, 1);

    CHelpWindow::InstallWhatsThis(m_activated, 18);
    CHelpWindow::InstallWhatsThis(m_seconds, 19);
    CHelpWindow::InstallWhatsThis(m_text, 20);
    connect(m_activated, &QCheckBox::clicked, this, &CSystemNotify::OnActivated);
    connect(m_seconds, &QLineEdit::textEdited, this, [this] { SetModified(); });
    connect(m_text, &QPlainTextEdit::textChanged, this, [this] {
        LimitText();
        SetModified();
    });
    connect(m_selector, &CNotifySelector::chosen, this, &CSystemNotify::Choose);
}

void CSystemNotify::OnInitPage()
{
    m_doc.Hardware().Refresh();
    m_shown = m_doc.Notifications();
    const NotificationSettings& settings = m_shown;
    for (std::size_t i = 0; i < m_notices.size(); ++i) {
        m_notices[i].active = settings.notices[i].seconds != 0;
        m_notices[i].seconds = settings.notices[i].seconds;
        m_notices[i].text = settings.notices[i].text;
    }
    m_edited = 0;
    m_selector->SetSelected(0);
    const QSignalBlocker blocker(m_text);
    const Edit& first = m_notices[0];
    m_activated->setChecked(first.active);
    m_seconds->setText(QString::number(first.seconds));
    m_text->setPlainText(DisplayText(first.text));
    m_seconds->setEnabled(first.active);
    m_text->setEnabled(first.active);
    SetModified(false);
}

void CSystemNotify::EnableFields(bool enabled)
{
    m_seconds->setEnabled(enabled);
    m_text->setEnabled(enabled);
    if (!enabled) {
        const QSignalBlocker blocker(m_text);
        m_seconds->clear();
        m_text->clear();
    }
}

void CSystemNotify::OnActivated(bool checked)
{
    EnableFields(checked);
    m_notices[static_cast<size_t>(m_edited)].active = checked;
    if (checked)
        m_seconds->setFocus(Qt::OtherFocusReason);
    SetModified();
}

void CSystemNotify::StoreFields()
{
    Edit& notice = m_notices[static_cast<size_t>(m_edited)];
    notice.text = EditedText(notice.text, m_text->toPlainText());
    const auto seconds = ParseAmount(m_seconds->text().trimmed().toStdString());
    // A value that does not fit is kept out of range, for Apply to refuse.
    notice.seconds = m_seconds->text().trimmed().isEmpty() ? 0 : seconds ? static_cast<std::int64_t>(*seconds) : -1;
}

void CSystemNotify::ShowEdited()
{
    const Edit& notice = m_notices[static_cast<size_t>(m_edited)];
    const QSignalBlocker blocker(m_text);
    m_activated->setChecked(notice.active);
    m_seconds->setText(QString::number(notice.seconds));
    m_text->setPlainText(DisplayText(notice.text));
    EnableFields(notice.active);
}

void CSystemNotify::Choose(int index)
{
    if (index == m_edited || index < 0 || index > 1)
        return;
    StoreFields();
    m_edited = index;
    m_selector->SetSelected(index);
    ShowEdited();
}

void CSystemNotify::LimitText()
{
    const QString text = m_text->toPlainText();
    if (text.size() <= kMaxText)
        return;
    const QSignalBlocker blocker(m_text);
    m_text->setPlainText(text.left(kMaxText));
    m_text->moveCursor(QTextCursor::End);
}

bool CSystemNotify::OnApply()
{
    StoreFields();
    NotificationSettings settings = m_shown;
    for (std::size_t i = 0; i < m_notices.size(); ++i) {
        if (m_notices[i].active && m_notices[i].seconds < 0) {
            Choose(static_cast<int>(i));
            return RefuseField(m_doc, m_seconds, AmountMessage(i == 0 ? "first notice" : "second notice"));
        }
        Notice& notice = settings.notices[i];
        notice.seconds = m_notices[i].active ? static_cast<std::int32_t>(m_notices[i].seconds) : 0;
        // The file keeps one line per text.
        std::string text = m_notices[i].text;
        std::replace(text.begin(), text.end(), '\r', ' ');
        std::replace(text.begin(), text.end(), '\n', ' ');
        notice.text = std::move(text);
    }
    if (!m_doc.Hardware().SaveNotificationChanges(m_shown, settings))
        return ReportSaveFailure(m_doc, m_doc.Hardware().File());
    m_shown = settings;
    return true;
}

} // namespace dm
