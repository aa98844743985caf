#include "manager/ui/dialogs/reportprogressdialog.h"

#include "framework/displaytext.h"
#include "framework/icons.h"
#include "manager/core/reportchoice.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

namespace dm {

CReportProgressDialog::CReportProgressDialog(ReportRequest request, ReportRunControl::PrintFunction print,
                                             QWidget* parent)
    : QDialog(parent), m_request(std::move(request)), m_print(std::move(print))
{
    setWindowTitle(QStringLiteral("Generating Report, please wait..."));
    auto* icon = new QLabel(this);
    icon->setPixmap(Icons::Application().pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    auto* text = new QLabel(
        QStringLiteral("This may take a while, depending on the amount of data that needs to be processed..."), this);
    text->setWordWrap(true);
    m_status = new QLabel(this);
    m_status->setFrameShape(QFrame::StyledPanel);
    m_status->setFrameShadow(QFrame::Sunken);
    m_status->setMinimumWidth(360);
    m_status->setMinimumHeight(m_status->fontMetrics().height() + 8);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    m_cancelButton = buttons->button(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::rejected, this, &CReportProgressDialog::reject);

    auto* top = new QHBoxLayout;
    top->addWidget(icon);
    top->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_status);
    layout->addWidget(buttons);

    // The worker emits; the label is set on this thread (queued, as the
    // emitter lives on another thread).
    connect(this, &CReportProgressDialog::statusChanged, m_status, &QLabel::setText);
    connect(this, &CReportProgressDialog::runEnded, this, &CReportProgressDialog::OnRunEnded,
            Qt::QueuedConnection);
    QTimer::singleShot(300, this, [this] {
        m_cancel.store(false);
        QTimer::singleShot(m_startDelayMs, this, &CReportProgressDialog::StartRun);
    });
}

CReportProgressDialog::~CReportProgressDialog()
{
    if (m_thread) {
        RequestCancel();
        m_thread->wait();
        delete m_thread;
    }
}

void CReportProgressDialog::StartRun()
{
    if (m_startAbandoned)
        return;
    m_running = true;
    m_thread = QThread::create([this] {
        ProgressPacer pacer;
        ReportRunControl control;
        control.cancel = &m_cancel;
        control.progress = [this, &pacer](const std::string& text) {
            if (pacer.Pass(text, ProgressPacer::Clock::now()))
                Q_EMIT statusChanged(DisplayText(text));
        };
        control.print = m_print;
        m_result = RunReport(m_request, control);
        Q_EMIT runEnded();
    });
    m_thread->start();
}

void CReportProgressDialog::OnRunEnded()
{
    m_thread->wait();
    m_running = false;
    m_finished = true;
    accept();
}

void CReportProgressDialog::reject()
{
    if (m_running) {
        // The run stops at its next test of the flag and then closes the dialog.
        RequestCancel();
        m_status->setText(QStringLiteral("Cancelling..."));
        return;
    }
    // Before the run started nothing is left to wait for.
    m_startAbandoned = true;
    QDialog::reject();
}

} // namespace dm
