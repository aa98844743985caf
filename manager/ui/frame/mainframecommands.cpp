// The frame's menus and the commands behind them.

#include "framework/pagesetupdialog.h"
#include "framework/helpwindow.h"
#include "framework/printerchoice.h"
#include "framework/qtuserinteraction.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/dialogs/addserverdialog.h"
#include "manager/ui/tree/dmview.h"
#include "manager/ui/frame/flattoolbar.h"
#include "manager/ui/frame/mainframe.h"
#include "manager/ui/sheets/optionssheet.h"
#include "manager/ui/frame/panecommands.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>

namespace dm {

void CMainFrame::CreateMenus()
{
    QMenuBar* bar = menuWidget()->findChild<QMenuBar*>();
    auto add = [this](QMenu* menu, Command command, const QString& text, const QKeySequence& keys = {}) {
        QAction* action = menu->addAction(text);
        if (!keys.isEmpty())
            action->setShortcut(keys);
        connect(action, &QAction::triggered, this, [this, command] { RunCommand(command); });
        m_actions[command] = action;
        return action;
    };

    QMenu* system = bar->addMenu(QStringLiteral("&System"));
    add(system, Command::AddServer, QStringLiteral("A&dd Server..."));
    add(system, Command::SystemSettings, QStringLiteral("&System Settings..."));
    add(system, Command::Greetings, QStringLiteral("&Greeting Messages..."));
    system->addSeparator();
    add(system, Command::SaveAs, QStringLiteral("Save &As..."));
    add(system, Command::Print, QStringLiteral("&Print..."), QKeySequence(Qt::CTRL | Qt::Key_P));
    add(system, Command::PrintPreview, QStringLiteral("Print Pre&view"));
    add(system, Command::PrintSetup, QStringLiteral("P&rint Setup..."));
    system->addSeparator();
    add(system, Command::Reports, QStringLiteral("R&eports..."));
    system->addSeparator();
    add(system, Command::Exit, QStringLiteral("E&xit"));

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    add(edit, Command::Copy, QStringLiteral("&Copy"), QKeySequence(QKeySequence::Copy));
    add(edit, Command::Delete, QStringLiteral("&Delete"), QKeySequence(Qt::Key_Delete));
    add(edit, Command::Properties, QStringLiteral("&Properties"));

    QMenu* tools = bar->addMenu(QStringLiteral("&Tools"));
    add(tools, Command::ExportPermissions, QStringLiteral("&Export RAS Permissions..."));
    add(tools, Command::ImportPermissions, QStringLiteral("&Import RAS Permissions..."));
    tools->addSeparator();
    add(tools, Command::CheckAccess, QStringLiteral("Check &Access..."));

    QMenu* view = bar->addMenu(QStringLiteral("&View"));
    add(view, Command::StatusBar, QStringLiteral("&Status Bar"))->setCheckable(true);
    m_actions[Command::StatusBar]->setChecked(true);
    add(view, Command::Split, QStringLiteral("S&plit"));
    view->addSeparator();
    add(view, Command::Capacity, QStringLiteral("&Capacity..."));
    view->addSeparator();
    add(view, Command::Options, QStringLiteral("&Options..."));
    add(view, Command::Refresh, QStringLiteral("&Refresh"), QKeySequence(Qt::Key_F5));

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    add(help, Command::Help, QStringLiteral("&Help..."), QKeySequence(QKeySequence::HelpContents));
    add(help, Command::HelpIndex, QStringLiteral("&Index and Search..."));
    help->addSeparator();
    add(help, Command::About, QStringLiteral("&About Dialminder..."));

    for (QMenu* menu : {system, edit, tools, view, help})
        connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandStates);
    // Shortcuts work while the menus are closed: keep the states current.
    for (auto& [command, action] : m_actions)
        addAction(action);
}

void CMainFrame::UpdateCommandStates()
{
    if (m_actions.empty())
        return;
    const bool database = m_doc.DatabaseAvailable();
    const bool savesData = m_toolBar && m_toolBar->IsButtonEnabled(3);
    auto* pane = dynamic_cast<PaneCommands*>(m_rightPane.data());

    m_actions[Command::SystemSettings]->setEnabled(database && m_extensions.systemSettings);
    m_actions[Command::Greetings]->setEnabled(static_cast<bool>(m_extensions.greetings));
    m_actions[Command::SaveAs]->setEnabled(savesData);
    m_actions[Command::Print]->setEnabled(savesData);
    m_actions[Command::PrintPreview]->setEnabled(pane && pane->CanPrintPreview());
    m_actions[Command::Reports]->setEnabled(static_cast<bool>(m_extensions.reports));
    // Delete acts on the focused view's selection only, never on the tree's
    // server while the right pane has the focus.
    m_actions[Command::Delete]->setEnabled(RightPaneIsActive() ? pane && pane->CanDeleteSelection()
                                                               : m_tree->CanDeleteServer());
    m_actions[Command::Copy]->setEnabled(RightPaneIsActive() && pane && pane->CanCopySelection());
    m_actions[Command::Properties]->setEnabled((RightPaneIsActive() && pane && pane->CanShowProperties()) ||
                                               m_tree->CanShowProperties());
    m_actions[Command::ExportPermissions]->setEnabled(static_cast<bool>(m_extensions.exportPermissions));
    m_actions[Command::ImportPermissions]->setEnabled(static_cast<bool>(m_extensions.importPermissions));
    m_actions[Command::CheckAccess]->setEnabled(database && m_extensions.checkAccess);
    m_actions[Command::Capacity]->setEnabled(database && m_extensions.capacity && !m_doc.Servers().empty());
    if (m_capacityButton)
        m_capacityButton->setEnabled(m_actions[Command::Capacity]->isEnabled());
    m_actions[Command::Refresh]->setEnabled(m_tree->currentItem() != nullptr);
    m_actions[Command::StatusBar]->setChecked(statusBar()->isVisible());
    if (m_toolBar) {
        m_toolBar->EnableButton(1, m_actions[Command::SystemSettings]->isEnabled());
        m_toolBar->EnableButton(2, m_actions[Command::Greetings]->isEnabled());
    }
}

void CMainFrame::RunCommand(Command command)
{
    UpdateCommandStates();
    if (QAction* action = Action(command); action && !action->isEnabled())
        return;
    switch (command) {
    case Command::AddServer: OnAddServer(); break;
    case Command::SystemSettings: m_extensions.systemSettings(this); break;
    case Command::Greetings: m_extensions.greetings(this); break;
    case Command::SaveAs:
    case Command::Print: OnSaveOrPrint(command, false); break;
    case Command::PrintPreview:
        if (auto* pane = dynamic_cast<PaneCommands*>(m_rightPane.data()))
            pane->PrintPreview();
        break;
    case Command::PrintSetup: OnPrintSetup(); break;
    case Command::Reports: m_extensions.reports(this); break;
    case Command::Exit: close(); break;
    case Command::Delete: OnDelete(); break;
    case Command::Copy:
        if (auto* pane = dynamic_cast<PaneCommands*>(m_rightPane.data()); pane && pane->CanCopySelection())
            pane->CopySelection();
        break;
    case Command::Properties: {
        auto* pane = dynamic_cast<PaneCommands*>(m_rightPane.data());
        if (RightPaneIsActive() && pane && pane->CanShowProperties())
            pane->ShowProperties();
        else
            m_tree->ShowProperties();
        break;
    }
    case Command::ExportPermissions: m_extensions.exportPermissions(this); break;
    case Command::ImportPermissions: m_extensions.importPermissions(this); break;
    case Command::CheckAccess: {
        // The account and port the tree shows, where it shows one.
        const Selection& s = m_doc.CurrentSelection();
        const std::string account = s.user != "*" && s.domain != "*" ? s.domain + "\\" + s.user : std::string();
        m_extensions.checkAccess(this, account, s.server, s.port);
        break;
    }
    case Command::Capacity: m_extensions.capacity(this); break;
    case Command::StatusBar: statusBar()->setVisible(!statusBar()->isVisible()); break;
    case Command::Split:
        m_splitter->setSizes({kTreeWidth, qMax(200, m_splitter->width() - kTreeWidth)});
        m_tree->setFocus(Qt::OtherFocusReason);
        break;
    case Command::Options: OnOptions(); break;
    case Command::Refresh: m_doc.RefreshDocument(); break;
    case Command::Help: CHelpWindow::ShowContext(HelpContext(), this); break;
    case Command::HelpIndex: CHelpWindow::ShowIndex(this); break;
    case Command::About: m_doc.SelectItem(nullptr, KindNone); break;
    }
    UpdateCommandStates();
}

void CMainFrame::OnAddServer()
{
    CAddServerDialog dialog(m_doc.Interaction(), m_doc.ServerListKeyPath(), this);
    dialog.exec();
    if (dialog.ServerAdded()) {
        m_doc.OnNewDocument();
        update();
    }
}

void CMainFrame::OnOptions()
{
    RunOptionsSheet(m_doc, *m_tree, this);
}

void CMainFrame::OnSaveOrPrint(Command command, bool fromToolbar)
{
    const int hintValue = command == Command::SaveAs ? hint::SaveAs : hint::Print;
    // The toolbar tells every view; the menu command goes to the active view,
    // which is the right pane unless the tree has the focus.
    if (fromToolbar || !RightPaneIsActive()) {
        m_doc.UpdateAllViews(fromToolbar ? nullptr : m_tree, hintValue);
        return;
    }
    if (auto* observer = dynamic_cast<DocumentObserver*>(m_rightPane.data()))
        observer->OnDocumentUpdate(nullptr, hintValue);
}

void CMainFrame::OnDelete()
{
    auto* pane = dynamic_cast<PaneCommands*>(m_rightPane.data());
    if (RightPaneIsActive()) {
        // The ports list and the port status panel delete nothing.
        if (pane && pane->CanDeleteSelection())
            pane->DeleteSelection();
        return;
    }
    if (m_tree->CanDeleteServer())
        m_tree->DeleteSelectedServer();
}

void CMainFrame::OnPrintSetup()
{
    if (!m_setupPrinter)
        m_setupPrinter = std::make_unique<QPrinter>(QPrinter::HighResolution);
    CPageSetupDialog dialog(m_setupPrinter.get(), this);
    dialog.exec();
}

} // namespace dm
