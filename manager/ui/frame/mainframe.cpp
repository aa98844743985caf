#include "manager/ui/frame/mainframe.h"

#include "framework/helpwindow.h"
#include "framework/icons.h"
#include "framework/qtuserinteraction.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/dialogs/addserverdialog.h"
#include "manager/ui/frame/captionbar.h"
#include "manager/ui/frame/helptopics.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/frame/flattoolbar.h"
#include "manager/ui/views/introview.h"
#include "manager/ui/views/newport.h"
#include "manager/ui/sheets/optionssheet.h"
#include "manager/ui/frame/panecommands.h"
#include "manager/ui/views/portsview.h"
#include "manager/ui/tree/porttotalthread.h"
#include "manager/ui/frame/viewswitchbar.h"

#include <QAction>
#include <QAbstractItemView>
#include <QApplication>
#include <QItemSelectionModel>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPrinter>
#include <QMenuBar>
#include <QShortcut>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace dm {

CMainFrame::CMainFrame(CDMDoc& doc, QtUserInteraction& ui, ManagerExtensions extensions, QWidget* parent)
    : QMainWindow(parent), m_doc(doc), m_ui(ui), m_extensions(std::move(extensions))
{
    setWindowTitle(QStringLiteral("Dialminder"));
    setWindowIcon(Icons::Application());
    m_ui.SetParent(this);

    // 1. The status bar; its message pane is the document's progress window.
    CreateStatusBar();

    // 2./3. Caption, menus, the toolbar and the view-switch bar.
    auto* top = new QWidget(this);
    auto* topLayout = new QVBoxLayout(top);
    topLayout->setContentsMargins(0, 0, 0, 0);
    topLayout->setSpacing(0);
    topLayout->addWidget(new CCaptionBar(top));
    auto* menus = new QMenuBar(top);
    topLayout->addWidget(menus);
    setMenuWidget(top);
    CreateMenus();

    auto* bar = new QToolBar(QStringLiteral("Toolbar"), this);
    bar->setObjectName(QStringLiteral("FrameToolbar"));
    bar->setMovable(false);
    bar->setFloatable(false);
    m_toolBar = new CFlatToolBar(bar);
    bar->addWidget(m_toolBar);
    m_switchBar = new CViewSwitchBar(m_counters, bar);
    bar->addSeparator();
    bar->addWidget(m_switchBar);
    bar->addSeparator();
    m_capacityButton = new QToolButton(bar);
    m_capacityButton->setObjectName(QStringLiteral("CapacityButton"));
    m_capacityButton->setIcon(Icons::FromDrawing(QStringLiteral("tb-capacity.svg")));
    m_capacityButton->setIconSize(QSize(24, 24));
    m_capacityButton->setAutoRaise(true);
    m_capacityButton->setToolTip(QStringLiteral("Capacity: the ports the selected servers need"));
    m_capacityButton->setAccessibleName(QStringLiteral("Capacity"));
    connect(m_capacityButton, &QToolButton::clicked, this, [this] { RunCommand(Command::Capacity); });
    bar->addWidget(m_capacityButton);
    addToolBar(Qt::TopToolBarArea, bar);
    connect(m_toolBar, &CFlatToolBar::commandTriggered, this, &CMainFrame::OnToolbarCommand);
    connect(m_switchBar, &CViewSwitchBar::modeSelected, this, &CMainFrame::OnViewMode);

    // 4. The splitter: the tree on the left, the intro view on the right.
    auto* central = new QWidget(this);
    auto* centralLayout = new QVBoxLayout(central);
    centralLayout->setContentsMargins(0, 0, 0, 0);
    centralLayout->setSpacing(0);
    m_splitter = new QSplitter(Qt::Horizontal, central);
    m_splitter->setChildrenCollapsible(false);
    m_tree = new CDMView(m_doc, m_extensions, m_counters, m_splitter);
    m_rightPane = new CIntroView(m_doc, m_splitter);
    m_splitter->addWidget(m_tree);
    m_splitter->addWidget(m_rightPane);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({kTreeWidth, 700});
    connect(m_splitter, &QSplitter::splitterMoved, this, [this] {
        if (!m_placingSplitter)
            m_treeWidth = m_splitter->sizes().value(0, kTreeWidth);
    });
    centralLayout->addWidget(m_splitter, 1);
    m_historyHolder = new QWidget(central);
    auto* holderLayout = new QVBoxLayout(m_historyHolder);
    holderLayout->setContentsMargins(0, 0, 0, 0);
    m_historyHolder->hide();
    centralLayout->addWidget(m_historyHolder);
    setCentralWidget(central);

    connect(m_tree, &CDMView::selectionChanged, this, &CMainFrame::UpdateCommandStates);
    connect(m_tree, &CDMView::countersChanged, this, [this] {
        m_switchBar->update();
        // The thread reads the servers the tree lists, after every rebuild too.
        if (m_portTotals)
            m_portTotals->SetServers(m_doc.ServerNames());
    });
    connect(m_tree, &CDMView::addServerRequested, this, &CMainFrame::OnAddServer);

    auto* next = new QShortcut(QKeySequence(Qt::Key_F6), this);
    connect(next, &QShortcut::activated, this, [this] { MoveFocusBetweenPanes(false); });
    auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6), this);
    connect(previous, &QShortcut::activated, this, [this] { MoveFocusBetweenPanes(true); });
    // Ctrl+1, Ctrl+2 and Ctrl+3 choose Status, History and Graphs.
    for (int mode = 0; mode < 3; ++mode) {
        auto* choose = new QShortcut(QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + mode)), this);
        connect(choose, &QShortcut::activated, this, [this, mode] {
            m_switchBar->SetMode(mode);
            OnViewMode(mode);
        });
    }
    // Delete and Copy follow the focus and the pane's selection.
    m_focusConnection = connect(qApp, &QApplication::focusChanged, this, [this] { UpdateCommandStates(); });
    qApp->installEventFilter(this);

    resize(1180, 760);
    UpdateCommandStates();
    // The keyboard starts in the tree; Tab reaches the view switch.
    m_tree->setFocus(Qt::OtherFocusReason);
}

CMainFrame::~CMainFrame()
{
    qApp->removeEventFilter(this);
    disconnect(m_focusConnection);
    for (const QMetaObject::Connection& connection : m_paneConnections)
        disconnect(connection);
    // The thread asks this window to repaint; it stops before the window goes.
    m_portTotals.reset();
    m_ui.SetProgressWindow(nullptr);
    m_doc.SetProgressWindow(false);
    m_ui.SetParent(nullptr);
    // The right pane and the tree deregister from the document in their
    // destructors; delete them while the document is certainly alive.
    delete m_rightPane;
    delete m_historyBar;
}

void CMainFrame::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    static const char* const names[] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        m_lockLabels[i] = new QLabel(QString::fromLatin1(names[i]), bar);
        m_lockLabels[i]->setAlignment(Qt::AlignCenter);
        m_lockLabels[i]->setMinimumWidth(44);
        m_lockLabels[i]->setEnabled(false);
        bar->addPermanentWidget(m_lockLabels[i]);
    }
    bar->showMessage(QStringLiteral("Ready"));
    // Menu hints and finished progress texts clear the message pane: the
    // idle text comes back, as it does after every other message.
    connect(bar, &QStatusBar::messageChanged, bar, [bar](const QString& text) {
        if (text.isEmpty())
            bar->showMessage(QStringLiteral("Ready"));
    });
    m_ui.SetProgressWindow(bar);
    m_doc.SetProgressWindow(true);
}

void CMainFrame::StartPortTotals()
{
    if (m_portTotals)
        return;
    m_portTotals = std::make_unique<PortTotalThread>(m_doc, [this](std::vector<ServerEntry> tables) {
        QMetaObject::invokeMethod(
            this, [this, tables = std::move(tables)]() mutable { TakePortTables(std::move(tables)); },
            Qt::QueuedConnection);
    });
    m_portTotals->SetServers(m_doc.ServerNames());
    // The tree read every server when it was built: the next pass waits.
    m_portTotals->Start(true);
}

void CMainFrame::TakePortTables(std::vector<ServerEntry> tables)
{
    m_doc.Lock();
    const bool changed = m_doc.TakePortTables(std::move(tables));
    m_doc.Unlock();
    if (changed)
        m_tree->ShowPortTables();
}

QAction* CMainFrame::Action(Command command) const
{
    auto it = m_actions.find(command);
    return it == m_actions.end() ? nullptr : it->second;
}

int CMainFrame::HelpContext() const
{
    // The page of the pane shown; the contents for the others.
    switch (m_paneKind) {
    case PaneKind::PortStatus: return helptopic::PortStatus;
    case PaneKind::History: return helptopic::History;
    case PaneKind::Users: return helptopic::Users;
    case PaneKind::Graphs: return helptopic::Graphs;
    case PaneKind::Ports: return helptopic::PortsList;
    case PaneKind::Intro: return helptopic::Contents;
    }
    return helptopic::Contents;
}

QWidget* CMainFrame::CreatePane(PaneKind pane)
{
    ManagerExtensions::PaneFactory factory;
    switch (pane) {
    case PaneKind::Intro: return new CIntroView(m_doc, m_splitter);
    case PaneKind::Ports: return new CPortsView(m_doc, m_extensions, m_splitter);
    case PaneKind::PortStatus: return new CNewPort(m_doc, m_extensions, m_splitter);
    case PaneKind::Users: factory = m_extensions.usersView; break;
    case PaneKind::History: factory = m_extensions.historyView; break;
    case PaneKind::Graphs: factory = m_extensions.graphView; break;
    }
    if (factory)
        return factory(m_doc, m_splitter);
    auto* notice = new QLabel(m_splitter);
    notice->setObjectName(QStringLiteral("UnavailablePane"));
    notice->setAlignment(Qt::AlignCenter);
    notice->setWordWrap(true);
    notice->setText(QStringLiteral("The %1 view is not part of this version of Dialminder.")
                        .arg(QString::fromLatin1(PaneName(pane))));
    return notice;
}

void CMainFrame::SwitchView(int kind)
{
    // The status bar is the progress window of whatever the new view loads.
    m_ui.SetProgressWindow(statusBar());
    m_doc.SetProgressWindow(true);

    const PaneKind pane = ChoosePane(m_doc.ViewMode(), kind, m_doc.CurrentSelection().port);
    const QList<int> sizes = m_splitter->sizes();
    // The old view goes first, so that it leaves the document's observers
    // before the new one registers.
    for (const QMetaObject::Connection& connection : m_paneConnections)
        disconnect(connection);
    m_paneConnections.clear();
    delete m_rightPane;
    QWidget* view = CreatePane(pane);
    m_rightPane = view;
    m_paneKind = pane;
    m_splitter->insertWidget(1, view);
    if (sizes.size() == 2)
        m_splitter->setSizes(sizes);
    if (auto* observer = dynamic_cast<DocumentObserver*>(view))
        observer->OnDocumentUpdate(nullptr, hint::DocumentLoaded);
    view->show();
    ShowHistoryBar(m_doc.ViewMode() == ModeHistory && pane != PaneKind::Intro);

    const bool saves = PaneSavesData(pane) && view->objectName() != QLatin1String("UnavailablePane");
    m_toolBar->EnableButton(3, saves);
    m_toolBar->EnableButton(4, saves);
    for (QAbstractItemView* list : view->findChildren<QAbstractItemView*>()) {
        if (list->selectionModel())
            m_paneConnections.push_back(connect(list->selectionModel(), &QItemSelectionModel::selectionChanged,
                                                this, &CMainFrame::UpdateCommandStates));
    }
    UpdateCommandStates();
    Q_EMIT paneSwitched(pane);
}

void CMainFrame::ShowHistoryBar(bool show)
{
    if (show && !m_historyBar && m_extensions.historyBar) {
        m_historyBar = m_extensions.historyBar(m_doc, m_historyHolder);
        m_historyHolder->layout()->addWidget(m_historyBar);
    }
    m_historyHolder->setVisible(show && m_historyBar);
}

void CMainFrame::OnViewMode(int mode)
{
    m_switchBar->SetMode(mode);
    m_doc.SetViewMode(mode);
}

void CMainFrame::OnToolbarCommand(int command)
{
    const int index = command - CFlatToolBar::kFirstCommand;
    if (index < 0 || index >= CFlatToolBar::kButtons || !m_toolBar->IsButtonEnabled(index))
        return;
    const Command which = ToolbarCommand(index);
    if (which == Command::SaveAs || which == Command::Print)
        OnSaveOrPrint(which, true);
    else
        RunCommand(which);
}

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    // The tree keeps its width (at most 40 % of a narrow window), so a
    // smaller window takes its room from the right pane, which scrolls.
    const int total = m_splitter->width();
    if (total <= 0)
        return;
    const int tree = std::min(m_treeWidth, total * 2 / 5);
    m_placingSplitter = true;
    m_splitter->setSizes({tree, std::max(1, total - tree)});
    m_placingSplitter = false;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    m_doc.SaveManagerSettings();
    if (CHelpWindow* help = CHelpWindow::SharedWindow())
        help->close();
    event->accept();
}

namespace {

// The Menu key or Shift+F10.
bool OpensContextMenu(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    return (key.key() == Qt::Key_Menu && modifiers == Qt::NoModifier) ||
           (key.key() == Qt::Key_F10 && modifiers == Qt::ShiftModifier);
}

// Opens the widget's pop-up menu as a right click on its current item (or
// its middle) would.
void OpenContextMenuFromKeyboard(QWidget* widget)
{
    QWidget* target = widget;
    QPoint pos = widget->rect().center();
    if (auto* list = qobject_cast<QAbstractItemView*>(widget)) {
        target = list->viewport();
        const QRect current = list->visualRect(list->currentIndex());
        pos = current.isValid() ? QPoint(current.left() + 8, current.center().y()) : QPoint(4, 4);
    }
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, pos, target->mapToGlobal(pos));
    QApplication::sendEvent(target, &menu);
}

} // namespace

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && OpensContextMenu(*static_cast<QKeyEvent*>(event)) &&
        watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this &&
        watched == focusWidget()) {
        OpenContextMenuFromKeyboard(static_cast<QWidget*>(watched));
        return true;
    }
    // Ctrl+C in a list of the right pane copies its selected rows, as Edit,
    // Copy does, rather than the one cell the list would copy.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy) &&
        m_rightPane && qobject_cast<QAbstractItemView*>(watched) &&
        m_rightPane->isAncestorOf(static_cast<QWidget*>(watched))) {
        RunCommand(Command::Copy);
        return true;
    }
    // Lock keys toggle their indicator; the desktop does not report the state
    // at start, so the indicators begin off.
    if (event->type() == QEvent::KeyPress && !static_cast<QKeyEvent*>(event)->isAutoRepeat() &&
        watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int index = key == Qt::Key_CapsLock ? 0 : key == Qt::Key_NumLock ? 1 : key == Qt::Key_ScrollLock ? 2 : -1;
        if (index >= 0) {
            m_lockStates[index] = !m_lockStates[index];
            m_lockLabels[index]->setEnabled(m_lockStates[index]);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool CMainFrame::RightPaneIsActive() const
{
    QWidget* focus = QApplication::focusWidget();
    return focus && m_rightPane && (focus == m_rightPane || m_rightPane->isAncestorOf(focus));
}

void CMainFrame::MoveFocusBetweenPanes(bool backwards)
{
    (void)backwards; // two panes: either direction reaches the other one
    if (RightPaneIsActive() || !m_rightPane) {
        m_tree->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_rightPane->setFocus(Qt::OtherFocusReason);
    if (!m_rightPane->hasFocus())
        m_rightPane->nextInFocusChain()->setFocus(Qt::OtherFocusReason);
}

} // namespace dm
