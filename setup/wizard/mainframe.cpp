#include "setup/wizard/mainframe.h"

#include "setup/wizard/finishsequence.h"
#include "setup/wizard/quickintro.h"
#include "setup/wizard/setupview.h"
#include "setup/wizard/setupwizard.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

namespace dm {

CMainFrame::CMainFrame(CSetupDoc& doc, UserInteraction& ui, std::filesystem::path sourceDir,
                       QWidget* parent)
    : QMainWindow(parent), m_doc(doc), m_ui(ui), m_sourceDir(std::move(sourceDir))
{
    setWindowTitle("Dialminder Setup");
    m_view = new CSetupView(this);
    setCentralWidget(m_view);
    // Placed at the origin and large enough to cover any screen of its time;
    // here the screen itself is the measure.
    QRect area(0, 0, 2000, 2000);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        area = screen->geometry();
    setGeometry(area);
}

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_started)
        return;
    m_started = true;
    QTimer::singleShot(100, this, &CMainFrame::RunWizard);
}

void CMainFrame::RunWizard()
{
    CSetupWizard::Actions actions;
    actions.openQuickIntro = [this] { OpenQuickIntro(this); };
    actions.browseFolder = &C2_DIRECTORY::BrowseWithDialog;
    actions.finish = [this] {
        RunInstallationAndMigration(m_doc.Choices(), m_ui, m_sourceDir, FinishTiming{}, this);
    };
    CSetupWizard wizard(m_doc.Flow(), actions, this);
    wizard.exec();
    close();
}

} // namespace dm
