#include "manager/ui/dialogs/checkaccessdialog.h"

#include "common/text.h"
#include "framework/csvexport.h"
#include "framework/displaytext.h"
#include "framework/helpwindow.h"
#include "manager/core/checkaccess.h"
#include "manager/core/databasefile.h"
#include "manager/core/dmdoc.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace dm {

CCheckAccessDialog::CCheckAccessDialog(CDMDoc& doc, const std::string& account, const std::string& server,
                                       const std::string& port, QWidget* parent)
    : QDialog(parent), m_doc(doc)
{
    setObjectName(QStringLiteral("CheckAccessDialog"));
    setWindowTitle(QStringLiteral("Check Access"));
    CHelpWindow::SetWindowHelp(this, kHelpContext);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_account = new QLineEdit(DisplayText(account), this);
    m_givenAccount = account;
    m_account->setPlaceholderText(QStringLiteral("DOMAIN\\name"));
    m_server = new QComboBox(this);
    m_server->setEditable(true);
    for (const ServerEntry& entry : doc.Servers())
        m_server->addItem(DisplayText(entry.name), StoredName(entry.name));
    if (!server.empty() && server != "*")
        m_server->setCurrentText(DisplayText(server));
    m_port = new QComboBox(this);
    m_port->setEditable(true);
    FillPorts();
    if (!port.empty() && port != "*")
        m_port->setCurrentText(DisplayText(port));
    m_moment = new QDateTimeEdit(QDateTime::currentDateTime(), this);
    m_moment->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    m_moment->setCalendarPopup(true);
    m_portsHeld = new QSpinBox(this);
    m_portsHeld->setRange(0, 9999);
    m_portsHeld->setToolTip(QStringLiteral("Ports the account already holds where the server component runs"));
    form->addRow(QStringLiteral("&Account:"), m_account);
    form->addRow(QStringLiteral("&Server:"), m_server);
    form->addRow(QStringLiteral("&Port:"), m_port);
    form->addRow(QStringLiteral("&Moment:"), m_moment);
    form->addRow(QStringLiteral("Ports &held:"), m_portsHeld);
    layout->addLayout(form);
    connect(m_server, &QComboBox::currentTextChanged, this, &CCheckAccessDialog::FillPorts);

    m_groups = new QLabel(this);
    m_groups->setObjectName(QStringLiteral("CallerGroups"));
    m_groups->setWordWrap(true);
    m_groups->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_groups);
    m_answer = new QPlainTextEdit(this);
    m_answer->setObjectName(QStringLiteral("CheckAccessAnswer"));
    m_answer->setReadOnly(true);
    m_answer->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_answer->setMinimumSize(560, 300);
    m_answer->setAccessibleName(QStringLiteral("Answer"));
    layout->addWidget(m_answer, 1);

    auto* buttons = new QDialogButtonBox(this);
    auto* check = buttons->addButton(QStringLiteral("&Check"), QDialogButtonBox::ActionRole);
    check->setDefault(true);
    auto* copy = buttons->addButton(QStringLiteral("C&opy to Clipboard"), QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Help);
    buttons->addButton(QDialogButtonBox::Close);
    connect(check, &QPushButton::clicked, this, &CCheckAccessDialog::Check);
    connect(copy, &QPushButton::clicked, this, &CCheckAccessDialog::CopyToClipboard);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] { CHelpWindow::ShowContext(kHelpContext, this); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    (m_account->text().isEmpty() ? static_cast<QWidget*>(m_account) : static_cast<QWidget*>(check))->setFocus();
    if (!m_account->text().isEmpty() && !m_server->currentText().isEmpty() && !m_port->currentText().isEmpty())
        Check();
}

// The stored name of the list entry shown, or the typed text when the person
// typed a name that is not in the list.
std::string CCheckAccessDialog::ChosenName(const QComboBox* box)
{
    const QString text = box->currentText().trimmed();
    const int index = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    return index >= 0 ? StoredNameOf(box->itemData(index), text) : text.toStdString();
}

void CCheckAccessDialog::FillPorts()
{
    const QString kept = m_port->currentText();
    m_port->clear();
    const std::string server = ChosenName(m_server);
    for (int index = 0; index < static_cast<int>(m_doc.Servers().size()); ++index) {
        if (!dm::EqualNoCase(m_doc.Servers()[static_cast<std::size_t>(index)].name, server))
            continue;
        // The ports as the RAS library lists them now.
        m_doc.RefreshServerPorts(index);
        const ServerEntry& entry = m_doc.Servers()[static_cast<std::size_t>(index)];
        for (int i = 0; i < entry.portCount && i < static_cast<int>(entry.slots.size()); ++i)
            {
            const std::string& name = entry.slots[static_cast<std::size_t>(i)].portName;
            m_port->addItem(DisplayText(name), StoredName(name));
        }
    }
    if (!kept.isEmpty())
        m_port->setCurrentText(kept);
}

bool CCheckAccessDialog::Check()
{
    const QString typed = m_account->text().trimmed();
    const std::string account = typed == DisplayText(m_givenAccount) ? m_givenAccount : typed.toStdString();
    const std::string server = ChosenName(m_server);
    const std::string port = ChosenName(m_port);
    m_groups->clear();
    if (account.empty() || server.empty() || port.empty()) {
        m_answer->setPlainText(QStringLiteral("Give the account (DOMAIN\\name), the server and the port."));
        return false;
    }
    CallerIdentity caller;
    std::string problem;
    if (!ReadCallerIdentity(account, server, caller, problem)) {
        m_answer->setPlainText(DisplayText(problem));
        return false;
    }
    QStringList groups;
    for (const std::string& group : caller.globalGroups)
        groups << DisplayText(group);
    for (const std::string& group : caller.localGroups)
        groups << DisplayText(group);
    m_groups->setText(groups.isEmpty() ? QStringLiteral("Groups from the network accounts: none")
                                       : QStringLiteral("Groups from the network accounts: ") + groups.join(", "));
    // An answer from files that could not be read would be made up.
    for (const std::string& file : {m_doc.Hardware().File(), m_doc.Users().File()}) {
        if (const unsigned long error = DatabaseFileError(file)) {
            m_answer->setPlainText(QString::fromStdString(UnreadableFileMessage(file, error)));
            return false;
        }
    }
    const auto at = static_cast<std::uint32_t>(std::max<qint64>(0, m_moment->dateTime().toSecsSinceEpoch()));
    const PolicyExplanation explanation =
        ExplainCaller(m_doc.DatabaseDirectory(), caller, server, port, at, m_portsHeld->value());
    m_answer->setPlainText(DisplayText(FormatExplanation(explanation)));
    return true;
}

QString CCheckAccessDialog::AnswerText() const
{
    return m_answer->toPlainText();
}

void CCheckAccessDialog::CopyToClipboard()
{
    CsvExport::CopyToClipboard((m_groups->text() + QStringLiteral("\n") + AnswerText()).toStdString());
}

void RunCheckAccess(CDMDoc& doc, const std::string& account, const std::string& server, const std::string& port,
                    QWidget* parent)
{
    CCheckAccessDialog dialog(doc, account, server, port, parent);
    dialog.exec();
}

} // namespace dm
