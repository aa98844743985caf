#include "framework/qtuserinteraction.h"

#include "framework/displaytext.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>

namespace dm {

namespace {

QMessageBox::StandardButtons ToStandardButtons(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok: return QMessageBox::Ok;
    case Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    case Buttons::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon ToBoxIcon(Icon icon)
{
    switch (icon) {
    case Icon::None: return QMessageBox::NoIcon;
    case Icon::Information: return QMessageBox::Information;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Error: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// What closing the box with Escape or the window's close button means: the
// cancelling button of the set, or the only one.
Answer EscapeAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok: return Answer::Ok;
    case Buttons::YesNo: return Answer::No;
    case Buttons::AbortRetryIgnore: return Answer::Abort;
    default: return Answer::Cancel;
    }
}

Answer ToAnswer(int result, Buttons buttons)
{
    switch (result) {
    case QMessageBox::Ok: return Answer::Ok;
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Retry: return Answer::Retry;
    case QMessageBox::Abort: return Answer::Abort;
    case QMessageBox::Ignore: return Answer::Ignore;
    default: return EscapeAnswer(buttons);
    }
}

} // namespace

QtUserInteraction::QtUserInteraction(QWidget* parent) : m_parent(parent) {}

QString QtUserInteraction::DefaultCaption()
{
    QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("Dialminder") : name;
}

QMessageBox* QtUserInteraction::CreateMessageBox(const std::string& text, const std::string& caption,
                                                 Buttons buttons, Icon icon, QWidget* parent)
{
    auto* box = new QMessageBox(parent);
    box->setWindowTitle(caption.empty() ? DefaultCaption() : DisplayText(caption));
    // Messages name servers, ports and users with the bytes the core holds.
    box->setText(DisplayText(text));
    box->setTextFormat(Qt::PlainText);
    box->setIcon(ToBoxIcon(icon));
    box->setStandardButtons(ToStandardButtons(buttons));
    // The first button of the set is the default, as Enter chooses it.
    switch (DefaultAnswer(buttons)) {
    case Answer::Yes: box->setDefaultButton(QMessageBox::Yes); break;
    case Answer::Retry: box->setDefaultButton(QMessageBox::Retry); break;
    case Answer::Abort: box->setDefaultButton(QMessageBox::Abort); break;
    default: box->setDefaultButton(QMessageBox::Ok); break;
    }
    return box;
}

Answer QtUserInteraction::ShowMessage(const std::string& text, const std::string& caption,
                                      Buttons buttons, Icon icon)
{
    QWidget* parent = m_parent ? m_parent.data() : QApplication::activeWindow();
    // A message shown while the wait cursor is up must still get the arrow.
    const bool restoreCursor = m_waitDepth > 0;
    if (restoreCursor)
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    QMessageBox* box = CreateMessageBox(text, caption, buttons, icon, parent);
    const int result = box->exec();
    delete box;
    if (restoreCursor)
        QGuiApplication::restoreOverrideCursor();
    return ToAnswer(result, buttons);
}

void QtUserInteraction::Beep(unsigned, unsigned)
{
    // The desktop offers one alert sound; frequency and length only tell
    // callers' beeps apart in tests.
    QApplication::beep();
}

void QtUserInteraction::BeginWaitCursor()
{
    ++m_waitDepth;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtUserInteraction::EndWaitCursor()
{
    if (m_waitDepth == 0)
        return;
    --m_waitDepth;
    QGuiApplication::restoreOverrideCursor();
}

void QtUserInteraction::SetProgressWindow(QStatusBar* statusBar)
{
    m_statusBar = statusBar;
}

QStatusBar* QtUserInteraction::ProgressWindow() const
{
    return m_statusBar.data();
}

void QtUserInteraction::ShowProgress(const std::string& text)
{
    if (!m_statusBar)
        return;
    m_statusBar->showMessage(DisplayText(text));
    // Long loads run on this thread; paint the text now, not after the load.
    m_statusBar->repaint();
}

} // namespace dm
