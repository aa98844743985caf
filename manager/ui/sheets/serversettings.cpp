#include "manager/ui/sheets/serversettings.h"
#include "framework/displaytext.h"

#include "framework/icons.h"
#include "manager/core/dmdoc.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace dm {

CServerSettings::CServerSettings(CDMDoc& doc, std::string server, QWidget* parent)
    : CPropertyPage(QStringLiteral("Idle timeout"), parent), m_doc(doc), m_server(std::move(server))
{
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setHorizontalSpacing(12);
    layout->setVerticalSpacing(10);
    auto* picture = new QLabel(this);
    picture->setPixmap(Icons::Render(QStringLiteral("server.svg"), 32));
    m_name = new QLabel(DisplayText(m_server), this);
    QFont bold = m_name->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    m_name->setFont(bold);

    m_box = new QCheckBox(QStringLiteral("&Automatically disconnect sessions that has been idle for"), this);
    m_minutes = new QLineEdit(this);
    m_minutes->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), m_minutes));
    m_minutes->setMaximumWidth(70);
    m_minutes->setAlignment(Qt::AlignRight);
    m_minutes->setAccessibleName(QStringLiteral("Idle minutes"));
    auto* row = new QHBoxLayout;
    row->addWidget(m_box);
    row->addWidget(m_minutes);
    row->addWidget(new QLabel(QStringLiteral("minutes."), this));
    row->addStretch(1);
    auto* note = new QLabel(QStringLiteral("A session without traffic for this long is ended by the server. "
                                           "Both the remote access service and the Dialminder server "
                                           "component on the server get the value."),
                            this);
    note->setWordWrap(true);
    QPalette muted = note->palette();
    muted.setColor(QPalette::WindowText, muted.color(QPalette::PlaceholderText));
    note->setPalette(muted);
    m_failure = new QLabel(QStringLiteral("The idle timeout of this server could not be read."), this);
    m_failure->hide();

    layout->addWidget(picture, 0, 0);
    layout->addWidget(m_name, 0, 1);
    layout->addLayout(row, 1, 0, 1, 2);
    layout->addWidget(note, 2, 0, 1, 2);
    layout->addWidget(m_failure, 3, 0, 1, 2);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(4, 1);

    connect(m_box, &QCheckBox::clicked, this, &CServerSettings::OnBoxClicked);
    connect(m_minutes, &QLineEdit::textEdited, this, [this] { SetModified(); });
}

void CServerSettings::OnInitPage()
{
    IdleTimeout timeout;
    m_read = m_doc.Remote().ReadIdleTimeout(m_server, timeout);
    m_box->setChecked(m_read && timeout.on);
    m_minutes->setText(m_read && timeout.on ? QString::number(timeout.minutes) : QString());
    m_minutes->setEnabled(m_read && timeout.on);
    // Values that were never read are not written back as "off".
    m_box->setEnabled(m_read);
    m_failure->setVisible(!m_read);
}

void CServerSettings::OnBoxClicked(bool checked)
{
    m_minutes->setEnabled(checked);
    if (checked)
        m_minutes->setFocus(Qt::OtherFocusReason);
    SetModified();
}

bool CServerSettings::OnApply()
{
    if (!m_read)
        return true;
    const bool on = m_box->isChecked();
    m_doc.Remote().WriteIdleTimeout(m_server, on, on ? m_minutes->text().toInt() : 0);
    return true;
}

} // namespace dm
