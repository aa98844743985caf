#include "setup/wizard/migrationdialog.h"
#include "framework/displaytext.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

namespace dm {

CMigrationDialog::CMigrationDialog(std::string databaseDirectory, UserInteraction& ui,
                                   int startDelayMs, QWidget* parent)
    : QDialog(parent), m_dir(std::move(databaseDirectory)), m_ui(ui), m_startDelayMs(startDelayMs)
{
    setWindowTitle("Converting Data, Please Wait...");
    setModal(true);
    setWindowFlags(windowFlags() & ~Qt::WindowCloseButtonHint);
    auto* text = new QLabel("The Setup is converting existing Dialminder log data into the new "
                            "log format. This might take a while if you have plenty of "
                            "Dialminder data stored.",
                            this);
    text->setWordWrap(true);
    m_status = new QLabel(this);
    m_status->setObjectName("statusLine");
    m_bar = new QProgressBar(this);
    m_bar->setRange(1, 100);
    m_bar->reset();
    m_bar->setFormat("%v%");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(m_status);
    layout->addWidget(m_bar);
    setMinimumWidth(420);
}

void CMigrationDialog::SetStatus(const std::string& text)
{
    m_status->setText(DisplayText(text));
    // A record at a time is too often to repaint; a few times a second is enough.
    if (!m_sinceRepaint.isValid() || m_sinceRepaint.elapsed() > 50) {
        m_sinceRepaint.restart();
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void CMigrationDialog::SetPosition(int percent)
{
    if (percent >= 1)
        m_bar->setValue(percent);
}

void CMigrationDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    QTimer::singleShot(m_startDelayMs, this, &CMigrationDialog::RunMigration);
}

void CMigrationDialog::RunMigration()
{
    LogMigration migration(m_dir, m_ui, *this);
    m_succeeded = migration.Run();
    accept();
}

} // namespace dm
