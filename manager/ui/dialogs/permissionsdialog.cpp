#include "manager/ui/dialogs/permissionsdialog.h"
#include "manager/ui/frame/helptopics.h"
#include "framework/helpwindow.h"

#include "framework/displaytext.h"
#include "framework/icons.h"
#include "manager/core/dmdoc.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace dm {

namespace {

QString DefaultChooser(QWidget* parent, const QString& title, bool save)
{
    const QString filter = QStringLiteral("Text files (*.txt);;All files (*)");
    // The save dialog asks before it overwrites a file; the open dialog
    // changes nothing on the disk.
    return save ? QFileDialog::getSaveFileName(parent, title, QString(), filter)
                : QFileDialog::getOpenFileName(parent, title, QString(), filter, nullptr, QFileDialog::ReadOnly);
}

} // namespace

CPermissionsDialog::CPermissionsDialog(CDMDoc& doc, Direction direction, QWidget* parent)
    : QDialog(parent), m_doc(doc), m_direction(direction)
{
    const bool exporting = direction == Direction::Export;
    setWindowTitle(exporting ? QStringLiteral("Export RAS Account Permissions")
                             : QStringLiteral("Import RAS Account Permissions"));
    CHelpWindow::SetWindowHelp(this, helptopic::Permissions);
    m_chooser = [exporting](QWidget* owner, const QString& title) { return DefaultChooser(owner, title, exporting); };

    auto* layout = new QGridLayout(this);
    layout->setHorizontalSpacing(8);
    layout->setVerticalSpacing(6);
    auto* picture = new QLabel(this);
    picture->setPixmap(Icons::Render(exporting ? QStringLiteral("tb-save.svg") : QStringLiteral("user.svg"), 32));
    auto* intro = new QLabel(exporting ? QStringLiteral("Writes the dial-in permission and call-back setting of "
                                                        "every user account of a server to a text file.")
                                       : QStringLiteral("Sets the dial-in permission and call-back setting of "
                                                        "the accounts listed in a text file on a server."),
                             this);
    intro->setWordWrap(true);
    auto* serverLabel = new QLabel(exporting ? QStringLiteral("Export Account Data &From Server:")
                                             : QStringLiteral("Import Account Data &To Server:"),
                                   this);
    m_server = new QLineEdit(this);
    serverLabel->setBuddy(m_server);
    auto* fileLabel = new QLabel(exporting ? QStringLiteral("&Destination File Name:") : QStringLiteral("&Data File Name:"),
                                 this);
    m_file = new QLineEdit(this);
    fileLabel->setBuddy(m_file);
    m_browse = new QPushButton(QStringLiteral("..."), this);
    m_browse->setAutoDefault(false);
    m_browse->setToolTip(exporting ? QStringLiteral("Choose the file to write") : QStringLiteral("Choose the file to read"));
    m_browse->setMaximumWidth(36);
    m_status = new QLabel(this);
    m_status->setMinimumWidth(360);
    QPalette muted = m_status->palette();
    muted.setColor(QPalette::WindowText, muted.color(QPalette::PlaceholderText));
    m_status->setPalette(muted);

    auto* buttons = new QDialogButtonBox(this);
    m_run = buttons->addButton(exporting ? QStringLiteral("&Export") : QStringLiteral("&Import"),
                               QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    m_run->setDefault(true);
    m_run->setEnabled(false);

    layout->addWidget(picture, 0, 0, Qt::AlignTop);
    layout->addWidget(intro, 0, 1, 1, 2);
    layout->addWidget(serverLabel, 1, 1, 1, 2);
    layout->addWidget(m_server, 2, 1, 1, 2);
    layout->addWidget(fileLabel, 3, 1, 1, 2);
    layout->addWidget(m_file, 4, 1);
    layout->addWidget(m_browse, 4, 2);
    layout->addWidget(m_status, 5, 1, 1, 2);
    layout->addWidget(buttons, 6, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    layout->setRowMinimumHeight(5, 28);

    connect(m_server, &QLineEdit::textChanged, this, &CPermissionsDialog::UpdateRunButton);
    connect(m_file, &QLineEdit::textChanged, this, &CPermissionsDialog::UpdateRunButton);
    connect(m_browse, &QPushButton::clicked, this, &CPermissionsDialog::ChooseFile);
    connect(m_run, &QPushButton::clicked, this, [this] { Run(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void CPermissionsDialog::UpdateRunButton()
{
    m_run->setEnabled(!m_server->text().isEmpty() && !m_file->text().isEmpty());
}

void CPermissionsDialog::ChooseFile()
{
    const QString title = m_direction == Direction::Export ? QStringLiteral("Export Data To")
                                                           : QStringLiteral("Import Data From");
    const QString path = m_chooser(this, title);
    if (!path.isEmpty())
        m_file->setText(path);
    UpdateRunButton();
}

TransferResult CPermissionsDialog::Run()
{
    if (m_server->text().isEmpty() || m_file->text().isEmpty())
        return TransferResult::Failed;
    RasPermissionCalls calls;
    calls.read = [this](std::string_view server, std::string_view account, std::string& callback) {
        return m_doc.GetUserRasPermission(server, account, callback);
    };
    calls.write = [this](std::string_view server, std::string_view account, std::uint8_t bits,
                         std::string_view callback) {
        return m_doc.SetUserRasPermission(server, account, bits, callback);
    };
    PermissionTransfer transfer(std::move(calls), m_doc.Interaction(), [this](const std::string& text) {
        m_status->setText(DisplayText(text));
        m_status->repaint();
    });
    TransferResult result;
    {
        WaitCursor wait(m_doc.Interaction());
        const std::string server = m_server->text().toStdString();
        const std::filesystem::path file = m_file->text().toStdString();
        result = m_direction == Direction::Export ? transfer.Export(server, file) : transfer.Import(server, file);
    }
    if (result == TransferResult::Done)
        accept();
    return result;
}

} // namespace dm
