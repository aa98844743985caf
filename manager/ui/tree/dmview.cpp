#include "manager/ui/tree/dmview.h"

#include "framework/displaytext.h"
#include "framework/icons.h"
#include "manager/core/dmdoc.h"
#include "manager/core/porttotals.h"
#include "manager/ui/frame/portcounters.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QTimer>

namespace dm {

CDMView::CDMView(CDMDoc& doc, ManagerExtensions& extensions, PortCounters& counters, QWidget* parent)
    : QTreeWidget(parent), m_doc(doc), m_extensions(extensions), m_counters(counters)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    setItemsExpandable(true);
    setUniformRowHeights(true);
    setIconSize(QSize(18, 18));
    setIndentation(18);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setMinimumWidth(160);
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("TreeTimer10"));
    connect(this, &QTreeWidget::itemExpanded, this, &CDMView::OnItemExpanded);
    connect(this, &QTreeWidget::currentItemChanged, this, &CDMView::OnCurrentItemChanged);
    m_doc.AddObserver(this);
}

CDMView::~CDMView()
{
    m_doc.RemoveObserver(this);
}

int CDMView::ImageOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, kImageRole).toInt() : -1;
}

QTreeWidgetItem* CDMView::AddNode(QTreeWidgetItem* parent, const QString& text, int image)
{
    auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(this);
    item->setText(0, text);
    item->setData(0, kImageRole, image);
    item->setIcon(0, Icons::TreeImage(image));
    return item;
}

std::string CDMView::NameOf(const QTreeWidgetItem* item)
{
    if (!item)
        return std::string();
    return StoredNameOf(item->data(0, kNameRole), item->text(0));
}

QTreeWidgetItem* CDMView::AddNamedNode(QTreeWidgetItem* parent, const std::string& name, int image)
{
    QTreeWidgetItem* item = AddNode(parent, DisplayText(name), image);
    item->setData(0, kNameRole, StoredName(name));
    return item;
}

QTreeWidgetItem* CDMView::AddPlaceholder(QTreeWidgetItem* server, int image)
{
    QTreeWidgetItem* item = AddNode(server, QStringLiteral("No ports available"), image);
    item->setData(0, kPlaceholderRole, true);
    return item;
}

QTreeWidgetItem* CDMView::FindNode(const QString& text, QTreeWidgetItem* parent) const
{
    const auto found = findItems(text, Qt::MatchExactly | Qt::MatchRecursive | Qt::MatchCaseSensitive);
    for (QTreeWidgetItem* item : found)
        if (!parent || item->parent() == parent)
            return item;
    return nullptr;
}

QTreeWidgetItem* CDMView::FindNamed(const std::string& name, QTreeWidgetItem* parent) const
{
    const auto found = findItems(DisplayText(name), Qt::MatchExactly | Qt::MatchRecursive | Qt::MatchCaseSensitive);
    for (QTreeWidgetItem* item : found)
        if ((!parent || item->parent() == parent) && NameOf(item) == name)
            return item;
    return nullptr;
}

void CDMView::ArmTimer(int milliseconds)
{
    m_timer->start(milliseconds);
}

int CDMView::TimerInterval() const
{
    return m_timer->isActive() ? m_timer->interval() : 0;
}

void CDMView::OnDocumentUpdate(DocumentObserver*, int hintValue)
{
    if (hintValue != hint::DocumentLoaded)
        return;
    Rebuild();
    // The interval is kept in seconds, so at start-up only an interval of
    // 5000 seconds or more arms the timer with it; the Options command re-arms
    // it with the interval in seconds. The tick does no work either way.
    const int interval = m_doc.Settings().interval;
    ArmTimer(interval >= 5000 ? ManagerSettings::IntervalMilliseconds(interval) : 30000);
}

void CDMView::DeleteChildren(QTreeWidgetItem* item)
{
    qDeleteAll(item->takeChildren());
}

void CDMView::Rebuild()
{
    if (topLevelItemCount() > 0) {
        // Clearing moves the current item; that is no selection by the person.
        const QSignalBlocker blocker(this);
        clear();
        m_serversRoot = nullptr;
        m_accountsRoot = nullptr;
        viewport()->update();
    }
    m_reported = nullptr;
    m_serversRoot = AddNode(nullptr, QStringLiteral("Servers"), 0);
    m_accountsRoot = AddNode(nullptr, QStringLiteral("Accounts"), 6);
    // Every server's ports are read before the first paint, so that the
    // tree and the switch bar's totals show them from the start.
    for (int i = 0; i < static_cast<int>(m_doc.Servers().size()); ++i)
        m_doc.RefreshServerPorts(i);
    m_doc.Lock();
    InsertServers();
    AddNode(m_accountsRoot, QStringLiteral("DEFAULT PROFILE"), 12);
    InsertDomains();
    m_doc.Unlock();
    m_serversRoot->setExpanded(false);
    m_built = true;
    if (m_rebuilds++ > 0 && window())
        window()->update();
    Recount();
}

// Servers and their ports from the document's tables, as the last refresh
// left them. The caller holds the document's lock.
void CDMView::InsertServers()
{
    for (const ServerEntry& server : m_doc.Servers())
        FillServerNode(AddNamedNode(m_serversRoot, server.name, 1), server, 5);
}

void CDMView::FillServerNode(QTreeWidgetItem* node, const ServerEntry& server, int placeholderImage)
{
    // Says why a server that answers lists no ports.
    node->setToolTip(0, server.state == ServerState::NoComponent
                            ? QStringLiteral("The Dialminder server component is not installed on this "
                                             "server, so its ports are not read or listed.")
                            : QString());
    const int count = ListedPortCount(server);
    bool sameNames = count > 0 && node->childCount() == count;
    for (int i = 0; sameNames && i < count; ++i)
        sameNames = !node->child(i)->data(0, kPlaceholderRole).toBool() &&
                    NameOf(node->child(i)) == server.slots[static_cast<size_t>(i)].portName;
    if (sameNames) {
        // The same ports: only their images change, the selection stays.
        for (int i = 0; i < count; ++i) {
            const int image = PortImage(server.slots[static_cast<size_t>(i)]);
            if (ImageOf(node->child(i)) != image) {
                node->child(i)->setData(0, kImageRole, image);
                node->child(i)->setIcon(0, Icons::TreeImage(image));
            }
        }
        return;
    }
    const QTreeWidgetItem* current = currentItem();
    const std::string currentPort = current && current->parent() == node ? NameOf(current) : std::string();
    const QSignalBlocker blocker(this);
    DeleteChildren(node);
    for (int i = 0; i < count; ++i) {
        const PortSlot& slot = server.slots[static_cast<size_t>(i)];
        QTreeWidgetItem* port = AddNamedNode(node, slot.portName, PortImage(slot));
        if (!currentPort.empty() && slot.portName == currentPort)
            setCurrentItem(port);
    }
    if (count == 0)
        AddPlaceholder(node, placeholderImage);
}

void CDMView::ShowPortTables()
{
    if (!m_serversRoot)
        return;
    for (int i = 0; i < m_serversRoot->childCount(); ++i) {
        QTreeWidgetItem* node = m_serversRoot->child(i);
        const int index = m_doc.FindServer(NameOf(node));
        if (index != kNoServer)
            FillServerNode(node, m_doc.Servers()[static_cast<size_t>(index)], 13);
    }
    Recount();
}

PortTotals CDMView::ShownTotals() const
{
    PortTotals totals;
    if (!m_serversRoot)
        return totals;
    for (int i = 0; i < m_serversRoot->childCount(); ++i) {
        const QTreeWidgetItem* server = m_serversRoot->child(i);
        ++totals.servers;
        for (int p = 0; p < server->childCount(); ++p) {
            const QTreeWidgetItem* port = server->child(p);
            if (port->data(0, kPlaceholderRole).toBool())
                continue;
            ++totals.ports;
            if (ImageOf(port) == 4)
                ++totals.busyPorts;
        }
    }
    return totals;
}

void CDMView::Recount()
{
    const PortTotals totals = ShownTotals();
    m_counters.servers = totals.servers;
    m_counters.ports = totals.ports;
    m_counters.busyPorts = totals.busyPorts;
    Q_EMIT countersChanged();
}

void CDMView::OnItemExpanded(QTreeWidgetItem* item)
{
    switch (ImageOf(item)) {
    case 1: ExpandServer(item); break;
    case 0:
        if (item != m_serversRoot)
            break;
        // Re-insert every server from the tables, with the counters recounted.
        {
            const QSignalBlocker blocker(this);
            DeleteChildren(m_serversRoot);
        }
        m_doc.Lock();
        InsertServers();
        m_doc.Unlock();
        Recount();
        break;
    case 9: ExpandDomain(item); break;
    default: break;
    }
}

void CDMView::ExpandServer(QTreeWidgetItem* item)
{
    const int index = m_doc.FindServer(NameOf(item));
    if (index == kNoServer) {
        const QSignalBlocker blocker(this);
        DeleteChildren(item);
        AddPlaceholder(item, 13);
    } else {
        m_doc.RefreshServerPorts(index);
        m_doc.RefreshPortUsers(index);
        FillServerNode(item, m_doc.Servers()[static_cast<size_t>(index)], 13);
    }
    Recount();
}

void CDMView::OnCurrentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous)
{
    if (m_accountsRoot && (current == m_accountsRoot || previous == m_accountsRoot)) {
        const int image = current == m_accountsRoot ? 7 : 6;
        m_accountsRoot->setData(0, kImageRole, image);
        m_accountsRoot->setIcon(0, Icons::TreeImage(image));
    }
    if (current && !m_takingFocus)
        ReportSelection(current);
}

void CDMView::focusInEvent(QFocusEvent* event)
{
    // Taking the focus without a current node makes the first one current
    // ("Servers"); that selects nothing until the person acts on it.
    m_takingFocus = true;
    QTreeWidget::focusInEvent(event);
    m_takingFocus = false;
}

void CDMView::mousePressEvent(QMouseEvent* event)
{
    QTreeWidgetItem* before = currentItem();
    QTreeWidget::mousePressEvent(event);
    const QPoint at = event->position().toPoint();
    QTreeWidgetItem* hit = itemAt(at);
    if (event->button() != Qt::LeftButton || !hit || hit != before)
        return;
    // A click on an expander expands or collapses, nothing else.
    const QRect label = visualItemRect(hit);
    if (isRightToLeft() ? at.x() > label.right() : at.x() < label.left())
        return;
    // A click on the node that is already current selects it when the
    // document does not hold it as its selection (after "About", or when it
    // became current without a choice of the person's).
    if (m_doc.CurrentKind() == KindNone || hit != m_reported)
        ReportSelection(hit);
}

void CDMView::SelectNode(QTreeWidgetItem* item)
{
    if (item == currentItem())
        ReportSelection(item);
    else
        setCurrentItem(item);
}

void CDMView::ReportSelection(QTreeWidgetItem* item)
{
    // Until the intro view has been drawn the frame is not ready for a pane.
    if (!m_doc.IntroDrawn())
        return;
    Selection& selection = m_doc.CurrentSelection();
    const int image = ImageOf(item);
    const std::string text = NameOf(item);
    const std::string parentText = item->parent() ? NameOf(item->parent()) : std::string();
    const bool wasAccountsRoot = selection.accountsRootSelected;
    selection.Clear();
    selection.image = image;
    int kind = KindNone;
    if (item->data(0, kPlaceholderRole).toBool()) {
        // "No ports available" is no port: it stands for its server.
        selection.server = parentText;
        m_reported = item;
        m_doc.SelectItem(this, KindServer);
        Q_EMIT selectionChanged();
        return;
    }
    switch (image) {
    case 3: case 4: case 5:
        selection.port = text;
        selection.server = parentText;
        kind = KindPort;
        break;
    case 1: case 2:
        selection.server = text;
        kind = KindServer;
        break;
    case 0:
        kind = KindServer;
        break;
    case 8: case 14:
        selection.user = text;
        selection.domain = parentText;
        kind = KindAccount;
        break;
    case 12:
        selection.user = "DEFAULT";
        selection.domain = "DEFAULT";
        kind = KindAccount;
        break;
    case 9:
        selection.domain = text;
        kind = KindAccount;
        break;
    case 10:
        selection.group = text;
        selection.domain = parentText;
        kind = KindAccount;
        break;
    case 6: case 7:
        selection.accountsRootSelected = true;
        kind = KindAccount;
        break;
    default:
        // Placeholders select nothing.
        selection.accountsRootSelected = wasAccountsRoot;
        return;
    }
    m_reported = item;
    m_doc.SelectItem(this, kind);
    Q_EMIT selectionChanged();
}

} // namespace dm
