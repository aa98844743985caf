#include "framework/helpwindow.h"

#include "framework/icons.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QWhatsThis>

#include <algorithm>

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

void CHelpWindow::keyPressEvent(QKeyEvent* event)
{
    // Esc closes the window, as it closes a dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
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
        // Whole on the screen of the window that asked, 800x600 included.
        QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            const QRect area = screen->availableGeometry();
            const QSize size(std::min(720, area.width() - 40), std::min(560, area.height() - 60));
            g_window->resize(size);
            QRect placed(QPoint(0, 0), size);
            placed.moveCenter(parent ? parent->window()->frameGeometry().center() : area.center());
            placed.moveLeft(std::clamp(placed.left(), area.left() + 10, area.right() - size.width() - 10));
            placed.moveTop(std::clamp(placed.top(), area.top() + 10, area.bottom() - size.height() - 40));
            g_window->move(placed.topLeft());
        }
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
