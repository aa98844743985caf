#include "setup/wizard/installdialog.h"
#include "framework/displaytext.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QStyle>
#include <QTimer>

namespace dm {

CInstallDialog::CInstallDialog(const SetupChoices& choices, UserInteraction& ui,
                               std::filesystem::path sourceDir, unsigned pauseMs,
                               int startDelayMs, QWidget* parent)
    : QDialog(parent), m_choices(choices), m_ui(ui), m_sourceDir(std::move(sourceDir)),
      m_pauseMs(pauseMs), m_startDelayMs(startDelayMs)
{
    setWindowTitle("Installing, please wait...");
    setModal(true);
    setWindowFlags(windowFlags() & ~Qt::WindowCloseButtonHint);
    auto* from = new QLabel(this);
    from->setPixmap(style()->standardIcon(QStyle::SP_DriveCDIcon).pixmap(32, 32));
    auto* to = new QLabel(this);
    to->setPixmap(style()->standardIcon(QStyle::SP_DriveHDIcon).pixmap(32, 32));
    m_step = new QLabel(this);
    m_step->setObjectName("stepText");
    m_detail = new QLabel(this);
    m_detail->setObjectName("detailText");
    m_bar = new QProgressBar(this);
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    auto* grid = new QGridLayout(this);
    grid->addWidget(from, 0, 0);
    grid->addWidget(m_step, 0, 1);
    grid->addWidget(to, 0, 2);
    grid->addWidget(m_detail, 1, 1);
    grid->addWidget(m_bar, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(420);
}

void CInstallDialog::SetStep(const std::string& step, const std::string& detail, int position)
{
    m_step->setText(DisplayText(step));
    m_detail->setText(DisplayText(detail));
    m_bar->setValue(position);
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void CInstallDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    QTimer::singleShot(m_startDelayMs, this, &CInstallDialog::RunInstallation);
}

void CInstallDialog::RunInstallation()
{
    Installer installer(m_choices, m_ui, *this, m_sourceDir, m_pauseMs);
    m_succeeded = installer.Run();
    m_problems = installer.Problems();
    accept();
}

} // namespace dm
