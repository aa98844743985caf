#include "dmreport/window/reportwindow.h"
#include "framework/displaytext.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QEventLoop>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

static void InitDmreportResources()
{
    Q_INIT_RESOURCE(dmreport);
}

namespace dm {

namespace {

const char* const AboutItem = "&About DMRep...";

QIcon ProgramIcon()
{
    return QIcon(QStringLiteral(":/dmreport/dmreport.svg"));
}

// Waits without taking input: the window is repainted, nothing else happens.
void WaitShowing(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

ReportWindow::ReportWindow(std::string commandText, PrintFunction print, QWidget* parent)
    : QDialog(parent), m_commandText(std::move(commandText)), m_print(std::move(print)),
      m_pause(&WaitShowing), m_beeper([](unsigned, unsigned) { QApplication::beep(); })
{
    InitDmreportResources();
    setWindowTitle(QStringLiteral("DMReport"));
    setWindowIcon(ProgramIcon());
    auto* layout = new QVBoxLayout(this);
    auto* explanation = new QLabel(QStringLiteral(
        "DMReport is generating a report based on the supplied report scripting file. Please wait..."));
    explanation->setWordWrap(true);
    layout->addWidget(explanation);
    m_progress = new QProgressBar;
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    layout->addWidget(m_progress);
    m_status = new QLabel;
    layout->addWidget(m_status);
    setMinimumWidth(380);

    // The About item that the system menu carries elsewhere lives in the
    // window's context menu here.
    auto* about = new QAction(QString::fromLatin1(AboutItem), this);
    connect(about, &QAction::triggered, this, &ReportWindow::ShowAbout);
    addAction(about);
}

void ReportWindow::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    menu.addSeparator();
    menu.addActions(actions());
    menu.exec(event->globalPos());
}

QMessageBox* ReportWindow::CreateAboutBox()
{
    auto* box = new QMessageBox(this);
    box->setWindowTitle(QStringLiteral("About DMReport"));
    box->setText(QStringLiteral("DMReport Version 1.36"));
    box->setIconPixmap(ProgramIcon().pixmap(32, 32));
    box->setStandardButtons(QMessageBox::Ok);
    return box;
}

void ReportWindow::ShowAbout()
{
    QMessageBox* box = CreateAboutBox();
    box->exec();
    delete box;
}

void ReportWindow::Refresh()
{
    // The run blocks the event loop: paint what changed at once.
    repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ReportWindow::SetProgress(int percent)
{
    m_progress->setValue(percent);
    Refresh();
}

void ReportWindow::SetStatus(const std::string& text)
{
    m_status->setText(DisplayText(text));
    Refresh();
}

void ReportWindow::ShowError(const std::string& text)
{
    m_failed = true;
    SetStatus(text);
}

int ReportWindow::Run()
{
    m_failed = false;
    const int status = RunReportJob(m_commandText, *this, m_print);
    if (status != 0 || m_failed) {
        m_beeper(400, 800);
        m_pause(10000);
        return 1;
    }
    m_pause(4000);
    return 0;
}

QString ReportWindow::StatusText() const
{
    return m_status->text();
}

int ReportWindow::ProgressValue() const
{
    return m_progress->value();
}

int RunReportWindow(const std::string& commandText, const PrintFunction& print)
{
    ReportWindow window(commandText, print);
    QTimer::singleShot(300, &window, [&window] { window.done(window.Run()); });
    return window.exec();
}

} // namespace dm
