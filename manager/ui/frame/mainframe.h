#pragma once
// The manager's main window: painted caption, menus, the six-button toolbar,
// the view-switch bar, the server tree on the left of a splitter and one
// exchangeable view on the right, and the status bar whose message pane is
// the document's progress window.

#include "manager/core/frameinterface.h"
#include "manager/core/serverentry.h"
#include "manager/ui/frame/commands.h"
#include "manager/ui/frame/managerextensions.h"
#include "manager/ui/frame/panechoice.h"
#include "manager/ui/frame/portcounters.h"

#include <QMainWindow>
#include <QPointer>

#include <map>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QPrinter;
class QSplitter;
class QToolButton;

namespace dm {

class CDMDoc;
class CDMView;
class CFlatToolBar;
class CViewSwitchBar;
class PortTotalThread;
class QtUserInteraction;

class CMainFrame : public QMainWindow, public FrameInterface {
    Q_OBJECT
public:
    static constexpr int kTreeWidth = 248;

    CMainFrame(CDMDoc& doc, QtUserInteraction& ui, ManagerExtensions extensions = {},
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Rebuilds the right pane for the node kind and the document's view mode.
    void SwitchView(int kind) override;

    // Runs a command as its menu item or toolbar button would.
    void RunCommand(Command command);
    // A toolbar button's command number (1000 + index).
    void OnToolbarCommand(int command);
    // Brings the enabled states of menus and toolbar up to date.
    void UpdateCommandStates();
    // Starts the thread that totals the ports of all servers every 20 s.
    void StartPortTotals();
    // Shows port tables the port-total thread read (user-interface thread).
    void TakePortTables(std::vector<ServerEntry> tables);

    CDMDoc& Document() { return m_doc; }
    CDMView* TreeView() const { return m_tree; }
    QWidget* RightPane() const { return m_rightPane; }
    PaneKind CurrentPane() const { return m_paneKind; }
    CFlatToolBar* ToolBar() const { return m_toolBar; }
    CViewSwitchBar* SwitchBar() const { return m_switchBar; }
    QToolButton* CapacityButton() const { return m_capacityButton; }
    QWidget* HistoryBar() const { return m_historyBar; }
    QSplitter* Splitter() const { return m_splitter; }
    QAction* Action(Command command) const;
    PortCounters& Counters() { return m_counters; }
    ManagerExtensions& Extensions() { return m_extensions; }
    // The help context the Help command opens: 100 for a port in the status
    // mode, else 1.
    int HelpContext() const;

Q_SIGNALS:
    // After every rebuild of the right pane.
    void paneSwitched(dm::PaneKind pane);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenus();
    void CreateStatusBar();
    QWidget* CreatePane(PaneKind pane);
    void ShowHistoryBar(bool show);
    void OnViewMode(int mode);
    void OnAddServer();
    void OnOptions();
    void OnSaveOrPrint(Command command, bool fromToolbar);
    void OnDelete();
    void OnProperties();
    void OnPrintSetup();
    void MoveFocusBetweenPanes(bool backwards);
    bool RightPaneIsActive() const;

    CDMDoc& m_doc;
    QtUserInteraction& m_ui;
    ManagerExtensions m_extensions;
    PortCounters m_counters;
    CDMView* m_tree = nullptr;
    QSplitter* m_splitter = nullptr;
    QPointer<QWidget> m_rightPane;
    QPointer<QWidget> m_historyBar;
    QWidget* m_historyHolder = nullptr;
    PaneKind m_paneKind = PaneKind::Intro;
    CFlatToolBar* m_toolBar = nullptr;
    CViewSwitchBar* m_switchBar = nullptr;
    std::map<Command, QAction*> m_actions;
    QLabel* m_lockLabels[3] = {nullptr, nullptr, nullptr};
    bool m_lockStates[3] = {false, false, false};
    std::unique_ptr<PortTotalThread> m_portTotals;
    // The tree's width: the default until the person drags the splitter.
    int m_treeWidth = kTreeWidth;
    bool m_placingSplitter = false;
    // Focus and pane selection changes that update the command states; cut
    // before the frame goes, so that no late signal reaches it.
    QMetaObject::Connection m_focusConnection;
    std::vector<QMetaObject::Connection> m_paneConnections;
    std::unique_ptr<QPrinter> m_setupPrinter;
    QToolButton* m_capacityButton = nullptr;
};

} // namespace dm
