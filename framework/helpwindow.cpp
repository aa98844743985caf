#include "framework/helpwindow.h"

#include "framework/icons.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QShortcut>
#include <QSplitter>
#include <QTextCursor>
#include <QVBoxLayout>
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
    resize(760, 560);
    m_index.Load(map.Directory());

    auto* splitter = new QSplitter(Qt::Horizontal, this);
    auto* side = new QWidget(splitter);
    auto* sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(6, 6, 0, 6);
    auto* searchLabel = new QLabel(QStringLiteral("&Search:"), side);
    m_search = new QLineEdit(side);
    m_search->setPlaceholderText(QStringLiteral("Words to find"));
    m_search->setClearButtonEnabled(true);
    searchLabel->setBuddy(m_search);
    m_pages = new QListWidget(side);
    m_pages->setAccessibleName(QStringLiteral("Help pages"));
    sideLayout->addWidget(searchLabel);
    sideLayout->addWidget(m_search);
    sideLayout->addWidget(m_pages, 1);
    m_browser = new QTextBrowser(splitter);
    m_browser->setOpenLinks(false);
    m_browser->setSearchPaths({QString::fromStdString(map.Directory().string())});
    splitter->addWidget(side);
    splitter->addWidget(m_browser);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({215, 545});
    setCentralWidget(splitter);
    connect(m_browser, &QTextBrowser::anchorClicked, this, &CHelpWindow::OnAnchorClicked);
    connect(m_browser, &QTextBrowser::sourceChanged, this, [this] { MarkCurrentPage(); });
    connect(m_search, &QLineEdit::textChanged, this, &CHelpWindow::FilterPages);
    // Enter in the search field opens the first page found.
    connect(m_search, &QLineEdit::returnPressed, this, [this] {
        if (m_pages->count() > 0) {
            m_pages->setCurrentRow(0);
            OpenListedPage();
        }
    });
    connect(m_pages, &QListWidget::itemActivated, this, [this] { OpenListedPage(); });
    connect(m_pages, &QListWidget::itemClicked, this, [this] { OpenListedPage(); });
    FilterPages(QString());

    QToolBar* bar = addToolBar(QStringLiteral("Navigation"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    QAction* contents = bar->addAction(QStringLiteral("Contents"));
    QAction* back = bar->addAction(QStringLiteral("Back"));
    QAction* forward = bar->addAction(QStringLiteral("Forward"));
    QAction* search = bar->addAction(QStringLiteral("Search"));
    search->setShortcut(QKeySequence::Find);
    back->setShortcut(QKeySequence::Back);
    forward->setShortcut(QKeySequence::Forward);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(contents, &QAction::triggered, this, [this] { OpenContext(1); });
    connect(search, &QAction::triggered, this, [this] {
        m_search->setFocus(Qt::ShortcutFocusReason);
        m_search->selectAll();
    });
    connect(back, &QAction::triggered, m_browser, &QTextBrowser::backward);
    connect(forward, &QAction::triggered, m_browser, &QTextBrowser::forward);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
}

QString CHelpWindow::CurrentPage() const
{
    return m_browser->source().fileName();
}

bool CHelpWindow::OpenPage(const QString& file)
{
    const auto& pages = m_index.Pages();
    const bool known = std::any_of(pages.begin(), pages.end(),
                                   [&file](const HelpPage& page) { return QString::fromStdString(page.file) == file; });
    if (!known)
        return false;
    m_browser->setSource(QUrl::fromLocalFile(QString::fromStdString((m_map.Directory() / file.toStdString()).string())));
    m_context = 0;
    MarkCurrentPage();
    return true;
}

void CHelpWindow::FilterPages(const QString& query)
{
    m_pages->clear();
    for (const HelpPage* page : m_index.Search(query.toStdString())) {
        auto* item = new QListWidgetItem(QString::fromStdString(page->title), m_pages);
        item->setData(Qt::UserRole, QString::fromStdString(page->file));
    }
    if (m_pages->count() == 0)
        m_pages->addItem(QStringLiteral("(no page holds these words)"));
    MarkCurrentPage();
}

void CHelpWindow::OpenListedPage()
{
    const QListWidgetItem* item = m_pages->currentItem();
    if (!item || item->data(Qt::UserRole).toString().isEmpty())
        return;
    OpenPage(item->data(Qt::UserRole).toString());
    // The first word searched for is shown marked in the page.
    const QStringList words = m_search->text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (!words.isEmpty()) {
        m_browser->moveCursor(QTextCursor::Start);
        m_browser->find(words.first());
    }
}

void CHelpWindow::MarkCurrentPage()
{
    const QString current = CurrentPage();
    const QSignalBlocker blocker(m_pages);
    for (int i = 0; i < m_pages->count(); ++i) {
        if (m_pages->item(i)->data(Qt::UserRole).toString() == current) {
            m_pages->setCurrentRow(i);
            return;
        }
    }
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
    MarkCurrentPage();
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
            const QSize size(std::min(760, area.width() - 40), std::min(560, area.height() - 60));
            g_window->resize(size);
            QRect placed(QPoint(0, 0), size);
            placed.moveCenter(parent ? parent->window()->frameGeometry().center() : area.center());
            placed.moveLeft(std::clamp(placed.left(), area.left() + 10, area.right() - size.width() - 10));
            placed.moveTop(std::clamp(placed.top(), area.top() + 10, area.bottom() - size.height() - 40));
            g_window->move(placed.topLeft());
        }
    }
    g_window->OpenContext(context);
    g_window->FollowModalDialog();
    g_window->show();
    g_window->raise();
    g_window->activateWindow();
    return true;
}

void CHelpWindow::FollowModalDialog()
{
    // A modal dialog blocks every window that is not its own, so help opened
    // from it could be read but not scrolled, searched or followed. While one
    // is open the help window belongs to it; when it closes, help is a
    // window of its own again and stays open.
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == this || modal == parentWidget())
        return;
    const QPoint at = pos();
    setParent(modal, Qt::Window);
    move(at);
    modal->installEventFilter(this);
}

bool CHelpWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && (event->type() == QEvent::Hide || event->type() == QEvent::Close)) {
        watched->removeEventFilter(this);
        const bool shown = isVisible();
        const QPoint at = pos();
        setParent(nullptr, Qt::Window);
        move(at);
        // Another modal dialog below the closed one takes it in turn.
        FollowModalDialog();
        if (shown)
            show();
    }
    return QMainWindow::eventFilter(watched, event);
}

void CHelpWindow::ShowIndex(QWidget* parent)
{
    ShowContext(1, parent);
    if (g_window) {
        g_window->m_search->setFocus(Qt::OtherFocusReason);
        g_window->m_search->selectAll();
    }
}

void CHelpWindow::SetWindowHelp(QWidget* window, int context)
{
    window->setProperty("dmHelpContext", context);
    if (window->findChild<QShortcut*>(QStringLiteral("HelpShortcut"), Qt::FindDirectChildrenOnly))
        return;
    auto* f1 = new QShortcut(QKeySequence::HelpContents, window);
    f1->setObjectName(QStringLiteral("HelpShortcut"));
    f1->setContext(Qt::WindowShortcut);
    QObject::connect(f1, &QShortcut::activated, window, [window] { ShowWindowHelp(window); });
}

int CHelpWindow::WindowHelp(const QWidget* window)
{
    return window ? window->property("dmHelpContext").toInt() : 0;
}

bool CHelpWindow::ShowWindowHelp(QWidget* window)
{
    const int context = WindowHelp(window);
    return context != 0 && ShowContext(context, window);
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
