#include "manager/ui/dialogs/permissionsdialog.h"
#include "manager/ui/frame/helptopics.h"
#include "framework/helpwindow.h"

#include "framework/displaytext.h"
#include "framework/icons.h"
#include "manager/core/dmdoc.h"

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>

#include <chrono>

namespace dm {

namespace {

// The person's screen for a transfer on a worker thread: a message is shown
// by the screen's own interaction on the dialog's thread while the worker
// waits for the answer.
class WorkerInteraction : public SilentInteraction {
public:
    WorkerInteraction(QObject* context, UserInteraction& screen) : m_context(context), m_screen(screen) {}
    Answer ShowMessage(const std::string& text, const std::string& caption, Buttons buttons, Icon icon) override
    {
        Answer answer = DefaultAnswer(buttons);
        const auto show = [&] { answer = m_screen.ShowMessage(text, caption, buttons, icon); };
        if (QThread::currentThread() == m_context->thread())
            show();
        else
            QMetaObject::invokeMethod(m_context, show, Qt::BlockingQueuedConnection);
        return answer;
    }

private:
    QObject* m_context;
    UserInteraction& m_screen;
};

// Lets a text through at most once per interval, so that 100,000 accounts
// do not post 100,000 texts to the window.
class Pace {
public:
    bool Pass()
    {
        const auto now = std::chrono::steady_clock::now();
        if (m_shown && now - m_last < std::chrono::milliseconds(50))
            return false;
        m_shown = true;
        m_last = now;
        return true;
    }

private:
    bool m_shown = false;
    std::chrono::steady_clock::time_point m_last{};
};

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
    m_progress = new QProgressBar(this);
    // Empty until a run has counted its accounts.
    m_progress->setTextVisible(false);
    m_progress->setFormat(QStringLiteral("%v of %m accounts"));
    m_progress->setRange(0, 1);
    m_progress->setValue(0);

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
    layout->addWidget(m_progress, 6, 1, 1, 2);
    layout->addWidget(buttons, 7, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    layout->setRowMinimumHeight(5, 28);

    connect(m_server, &QLineEdit::textChanged, this, &CPermissionsDialog::UpdateRunButton);
    connect(m_file, &QLineEdit::textChanged, this, &CPermissionsDialog::UpdateRunButton);
    connect(m_browse, &QPushButton::clicked, this, &CPermissionsDialog::ChooseFile);
    connect(m_run, &QPushButton::clicked, this, [this] { Run(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &CPermissionsDialog::reject);
    // Set on this thread, the worker being another (queued); a text that
    // arrives after the run ended is no longer news.
    connect(this, &CPermissionsDialog::statusChanged, this, [this](const QString& text) {
        if (m_running && !m_cancel.load())
            m_status->setText(text);
    });
    connect(this, &CPermissionsDialog::progressChanged, this, [this](int handled, int total) {
        if (!m_running)
            return;
        m_progress->setRange(0, qMax(total, 1));
        m_progress->setValue(handled);
    });
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
    if (m_running || m_server->text().isEmpty() || m_file->text().isEmpty())
        return TransferResult::Failed;
    const TransferResult result = RunTransfer(m_server->text().toStdString(), m_file->text().toStdString());
    if (result == TransferResult::Done)
        accept();
    return result;
}

TransferResult CPermissionsDialog::RunTransfer(const std::string& server, const std::string& file)
{
    // The document's RAS calls keep no state of their own: the worker may
    // make them while this thread serves the window.
    RasPermissionCalls calls;
    calls.read = [this](std::string_view server, std::string_view account, std::string& callback) {
        return m_doc.GetUserRasPermission(server, account, callback);
    };
    calls.write = [this](std::string_view server, std::string_view account, std::uint8_t bits,
                         std::string_view callback) {
        return m_doc.SetUserRasPermission(server, account, bits, callback);
    };
    calls.writeMany = [this](std::string_view server, std::span<const RasPermissionChange> accounts) {
        return m_doc.SetUserRasPermissions(server, accounts);
    };
    WorkerInteraction screen(this, m_doc.Interaction());
    Pace statusPace, progressPace;
    std::string lastStatus;
    PermissionTransfer transfer(std::move(calls), screen, [&](const std::string& text) {
        lastStatus = text;
        if (statusPace.Pass())
            Q_EMIT statusChanged(DisplayText(text));
    });
    transfer.SetCancelFlag(&m_cancel);
    transfer.SetProgressSink([&](int handled, int total) {
        if (handled == 0 || handled == total || progressPace.Pass())
            Q_EMIT progressChanged(handled, total);
    });

    const bool exporting = m_direction == Direction::Export;
    m_cancel.store(false);
    m_progress->setRange(0, 0);
    m_progress->setTextVisible(true);
    SetRunning(true);
    TransferResult result = TransferResult::Failed;
    QEventLoop loop;
    QThread* worker = QThread::create([&] {
        const std::filesystem::path path(file);
        result = exporting ? transfer.Export(server, path) : transfer.Import(server, path);
    });
    connect(worker, &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    worker->start();
    loop.exec();
    worker->wait();
    delete worker;
    SetRunning(false);

    m_handled = transfer.Handled();
    m_total = transfer.Total();
    m_progress->setRange(0, qMax(m_total, 1));
    m_progress->setValue(m_handled);
    if (result == TransferResult::Cancelled && exporting)
        m_status->setText(QStringLiteral("Export cancelled: the file was not written."));
    else if (result == TransferResult::Cancelled)
        m_status->setText(QStringLiteral("Import cancelled: %1 of %2 accounts imported.").arg(m_handled).arg(m_total));
    else if (!lastStatus.empty())
        m_status->setText(DisplayText(lastStatus));
    return result;
}

void CPermissionsDialog::SetRunning(bool running)
{
    // Disabling the fields moves the focus to Cancel; after the run it goes
    // back where it was, so that Enter starts another try rather than
    // closing the dialog.
    if (running)
        m_focusBefore = focusWidget();
    m_running = running;
    m_server->setEnabled(!running);
    m_file->setEnabled(!running);
    m_browse->setEnabled(!running);
    if (running)
        m_run->setEnabled(false);
    else
        UpdateRunButton();
    if (!running && m_focusBefore && m_focusBefore->isEnabled())
        m_focusBefore->setFocus(Qt::OtherFocusReason);
}

void CPermissionsDialog::reject()
{
    if (m_running) {
        // The run stops before its next write (import) or account (export)
        // and Run reports it.
        RequestCancel();
        m_status->setText(QStringLiteral("Cancelling..."));
        return;
    }
    QDialog::reject();
}

} // namespace dm
