#include "framework/helpwindow.h"

#include "framework/icons.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QWhatsThis>

namespace dm {

namespace {
QPointer<CHelpWindow> g_window;
}

CHelpWindow::CHelpWindow(const HelpMap& map, QWidget* parent) : QMainWindow(parent), m_map(map)
{
    setWindowTitle(QStringLiteral("Dialminder Help"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::Window, true);
    resize(720, 560);
    m_browser = new QTextBrowser(this);
    m_browser->setOpenLinks(false);
    m_browser->setSearchPaths({QString::fromStdString(map.Directory().string())});
    setCentralWidget(m_browser);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &CHelpWindow::OnAnchorClicked);

    QToolBar* bar = addToolBar(QStringLiteral("Navigation"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction* contents = bar->addAction(QStringLiteral("Contents"));
    QAction* back = bar->addAction(QStringLiteral("Back"));
    QAction* forward = bar->addAction(QStringLiteral("Forward"));
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(contents, &QAction::triggered, this, [this] { OpenContext(1); });
    connect(back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
}

bool CHelpWindow::OpenContext(int context)
{
    auto found = m_map.Find(context);
    if (!found)
        return false;
    if (found->kind == HelpContext::Kind::Popup) {
        QWhatsThis::showText(QCursor::pos(), QString::fromStdString(m_map.PopupText(context)), this);
        return true;
    }
    QUrl url = QUrl::fromLocalFile(QString::fromStdString((m_map.Directory() / found->page).string()));
    if (!found->anchor.empty())
        url.setFragment(QString::fromStdString(found->anchor));
    m_browser->setSource(url);
    m_context = context;
    return true;
}

void CHelpWindow::OnAnchorClicked(const QUrl& url)
{
    // Pages link to each other; the outside world opens in the desktop's browser.
    if (url.isRelative() || url.isLocalFile())
        m_browser->setSource(m_browser->source().resolved(url));
    else
        QDesktopServices::openUrl(url);
}

const HelpMap& CHelpWindow::SharedMap()
{
    static const HelpMap map = [] {
        HelpMap m;
        m.Load(HelpMap::DefaultDirectory(QCoreApplication::applicationDirPath().toStdString()));
        return m;
    }();
    return map;
}

bool CHelpWindow::ShowContext(int context, QWidget* parent)
{
    const HelpMap& map = SharedMap();
    auto found = map.Find(context);
    if (!found)
        return false;
    if (found->kind == HelpContext::Kind::Popup) {
        QWhatsThis::showText(QCursor::pos(), QString::fromStdString(map.PopupText(context)), parent);
        return true;
    }
    if (!g_window) {
        // A top-level window of its own: it stays open when a dialog that
        // opened it closes.
        g_window = new CHelpWindow(map, nullptr);
        g_window->setWindowIcon(Icons::Application());
    }
    g_window->OpenContext(context);
    g_window->show();
    g_window->raise();
    g_window->activateWindow();
    return true;
}

CHelpWindow* CHelpWindow::SharedWindow()
{
    return g_window;
}

bool CHelpWindow::InstallWhatsThis(QWidget* control, int context)
{
    const std::string text = SharedMap().PopupText(context);
    if (text.empty())
        return false;
    control->setWhatsThis(QString::fromStdString(text));
    return true;
}

} // namespace dm
