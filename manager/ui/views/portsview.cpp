#include "manager/ui/views/portsview.h"

#include "manager/core/dmdoc.h"
#include "manager/ui/frame/managerextensions.h"
#include "manager/ui/views/portsmodel.h"

#include <QHeaderView>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace dm {

CPortsView::CPortsView(CDMDoc& doc, ManagerExtensions& extensions, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_extensions(extensions)
{
    m_model = new PortsModel(this);
    m_list = new QTreeView(this);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAlternatingRowColors(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setIconSize(QSize(18, 18));
    m_list->setModel(m_model);
    m_list->setSortingEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list);
    setFocusProxy(m_list);
    connect(m_list, &QTreeView::doubleClicked, this, [this] { OpenPortProperties(); });
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer33"));
    connect(m_timer, &QTimer::timeout, this, &CPortsView::QuickRefresh);
    m_doc.AddObserver(this);
}

CPortsView::~CPortsView()
{
    m_doc.RemoveObserver(this);
}

int CPortsView::TimerInterval() const
{
    return m_timer->isActive() ? m_timer->interval() : 0;
}

void CPortsView::SetUp()
{
    const int widths[] = {150, 150, 150, 100};
    for (int column = 0; column < PortsModel::ColumnCount; ++column)
        m_list->header()->resizeSection(column, widths[column]);
    m_list->header()->setStretchLastSection(true);
    m_setUp = true;
    update();
    m_timer->start(kRefreshMs);
}

void CPortsView::OnDocumentUpdate(DocumentObserver*, int)
{
    // Every hint, from any sender, brings a full refresh.
    if (!m_setUp)
        SetUp();
    FullRefresh();
}

void CPortsView::FullRefresh()
{
    const std::string& selected = m_doc.CurrentSelection().server;
    const int count = static_cast<int>(m_doc.Servers().size());
    int first = 0;
    int last = count - 1;
    if (selected != "*") {
        first = last = m_doc.FindServer(selected);
        if (first == kNoServer)
            return;
    }
    if (count == 0)
        return;
    m_model->ClearSeenMarks();
    WaitCursor wait(m_doc.Interaction());
    for (int index = first; index <= last; ++index) {
        m_doc.RefreshServerPorts(index);
        const ServerEntry& server = m_doc.Servers()[static_cast<size_t>(index)];
        const std::string& serverName = server.name;
        const int ports = std::min<int>(server.portCount, static_cast<int>(server.slots.size()));
        const bool unreachable =
            server.state == ServerState::RegistryUnavailable || server.state == ServerState::EnumerationFailed;
        if (unreachable && ports == 0)
            m_model->ApplyUnreachableRow(serverName);
        else if (server.state == ServerState::NoComponent && ports == 0)
            m_model->ApplyNoComponentRow(serverName);
        for (int i = 0; i < ports; ++i) {
            const PortSlot& slot = server.slots[static_cast<size_t>(i)];
            m_model->ApplyRowUpdate(slot.portName, serverName, slot.user, slot.sessionStart,
                                    static_cast<int>(slot.state));
        }
    }
    m_model->RemoveUnseenRows();
}

void CPortsView::QuickRefresh()
{
    // Neither adds nor removes rows: only a full refresh does.
    for (int row = 0; row < m_model->rowCount(); ++row) {
        if (m_model->RowAt(row).placeholder)
            continue; // no port to ask; the next full refresh replaces it
        // Copies: the update may not keep the row's strings where they are.
        const std::string port = m_model->RowAt(row).portName;
        const std::string server = m_model->RowAt(row).serverName;
        std::string user;
        std::uint32_t start = 0;
        const int state = m_doc.GetPortCondition(server, port, user, start);
        m_model->ApplyRowUpdate(port, server, user, start, state);
    }
}

void CPortsView::OpenPortProperties()
{
    int chosen = -1;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        chosen = std::max(chosen, index.row());
    if (chosen < 0 || !m_extensions.portProperties || m_model->RowAt(chosen).placeholder)
        return;
    const PortsModel::Row& row = m_model->RowAt(chosen);
    m_extensions.portProperties(window(), row.portName, row.serverName);
}

} // namespace dm
