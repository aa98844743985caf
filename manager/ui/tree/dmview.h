#pragma once
// The server tree in the left pane. It shows the monitored servers with their
// ports and the network's domains with their groups and accounts, tells the
// document which node is selected, offers a context menu per node and opens
// the property sheets. Node types are told apart by their image index:
//
//   0 servers root (and a domain's "DUMMY" placeholder)  1, 2 server
//   3 port without session  4 port in session  5 unreadable port or placeholder
//   6 accounts root (7 while selected)  8 user  9 domain  10 global group
//   12 default profile  13 "No ports available" after expanding a server
//   14 user without the RAS dial-in permission (while UserIcons is on)

#include "framework/displaytext.h"
#include "manager/core/documentobserver.h"
#include "manager/core/porttotals.h"

#include <QTreeWidget>

#include <memory>
#include <string>

class QMenu;
class QTimer;

namespace dm {

class CDMDoc;
struct ManagerExtensions;
struct PortCounters;
struct ServerEntry;

class CDMView : public QTreeWidget, public DocumentObserver {
    Q_OBJECT
public:
    static constexpr int kImageRole = Qt::UserRole + 1;
    // Set on the "No ports available" placeholders.
    static constexpr int kPlaceholderRole = Qt::UserRole + 2;
    // The stored bytes of a server, port, domain, group or user node's name
    // (its text is DisplayText of them).
    static constexpr int kNameRole = kStoredNameRole;

    CDMView(CDMDoc& doc, ManagerExtensions& extensions, PortCounters& counters, QWidget* parent = nullptr);
    ~CDMView() override;

    void OnDocumentUpdate(DocumentObserver* sender, int hint) override;

    static int ImageOf(const QTreeWidgetItem* item);
    // The name a node stands for as the core stores it: the bytes it was
    // built from, else its text (the fixed nodes such as "Servers").
    static std::string NameOf(const QTreeWidgetItem* item);
    QTreeWidgetItem* ServersRoot() const { return m_serversRoot; }
    QTreeWidgetItem* AccountsRoot() const { return m_accountsRoot; }
    bool IsBuilt() const { return m_built; }
    // The first node with this text below parent (or anywhere when null).
    QTreeWidgetItem* FindNode(const QString& text, QTreeWidgetItem* parent = nullptr) const;
    // The first node for this stored name below parent (or anywhere when null).
    QTreeWidgetItem* FindNamed(const std::string& name, QTreeWidgetItem* parent = nullptr) const;

    // The timer (number 10) that the document's interval arms; its tick does
    // no work.
    void ArmTimer(int milliseconds);
    int TimerInterval() const;

    // Selects a node as a click does, reporting it to the document.
    void SelectNode(QTreeWidgetItem* item);
    // The context menu of a node, or null for nodes without one.
    std::unique_ptr<QMenu> CreateContextMenu(QTreeWidgetItem* item);

    // Shows the document's port tables under the server nodes (after the
    // port-total thread handed fresh ones over) and recounts.
    void ShowPortTables();
    // Servers, port nodes and port nodes in session as the tree shows them:
    // the only source of the switch bar's counters.
    PortTotals ShownTotals() const;

    bool CanDeleteServer() const;
    // Asks, then removes the selected server from the monitored servers.
    void DeleteSelectedServer();
    bool CanShowProperties() const;
    void ShowProperties();

Q_SIGNALS:
    void selectionChanged();
    void countersChanged();
    void addServerRequested();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    QTreeWidgetItem* AddNode(QTreeWidgetItem* parent, const QString& text, int image);
    // A node for a stored name: shown as DisplayText, the bytes kept in kNameRole.
    QTreeWidgetItem* AddNamedNode(QTreeWidgetItem* parent, const std::string& name, int image);
    QTreeWidgetItem* AddPlaceholder(QTreeWidgetItem* server, int image);
    void Rebuild();
    void InsertServers();
    void FillServerNode(QTreeWidgetItem* node, const ServerEntry& server, int placeholderImage);
    void Recount();
    void InsertDomains();
    void OnItemExpanded(QTreeWidgetItem* item);
    void ExpandServer(QTreeWidgetItem* item);
    void ExpandDomain(QTreeWidgetItem* item);
    void OnCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void ReportSelection(QTreeWidgetItem* item);
    void DeleteChildren(QTreeWidgetItem* item);
    void ShowPortProperties();
    void ShowUserProperties();

    CDMDoc& m_doc;
    ManagerExtensions& m_extensions;
    PortCounters& m_counters;
    QTreeWidgetItem* m_serversRoot = nullptr;
    QTreeWidgetItem* m_accountsRoot = nullptr;
    QTimer* m_timer = nullptr;
    bool m_built = false;
    int m_rebuilds = 0;
    // The node last reported to the document (compared, never dereferenced).
    const QTreeWidgetItem* m_reported = nullptr;
    // Set while the view takes the focus: a current node that Qt picks then
    // is no choice of the person's.
    bool m_takingFocus = false;
};

} // namespace dm
