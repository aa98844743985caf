#include "manager/ui/views/newport.h"

#include "framework/displaytext.h"
#include "framework/icons.h"
#include "manager/core/dmdoc.h"
#include "manager/core/messagecaption.h"
#include "manager/core/portlivedata.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolTip>
#include <QTreeWidget>

namespace dm {

CNewPort::CNewPort(CDMDoc& doc, ManagerExtensions& extensions, QWidget* parent)
    : QWidget(parent), m_doc(doc), m_extensions(extensions)
{
    setAutoFillBackground(true);
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName(QStringLiteral("PortLines40000"));
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setIconSize(QSize(16, 16));
    m_tree->setFrameShape(QFrame::NoFrame);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusProxy(m_tree);
    CreateButtons();
    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer77"));
    connect(m_timer, &QTimer::timeout, this, &CNewPort::OnTimerTick);
    m_doc.AddObserver(this);
}

CNewPort::~CNewPort()
{
    m_doc.RemoveObserver(this);
}

QString CNewPort::Title() const
{
    return QStringLiteral("%1 on %2").arg(DisplayText(m_port), DisplayText(m_server));
}

int CNewPort::TimerInterval() const
{
    return m_timer->isActive() ? m_timer->interval() : 0;
}

QString CNewPort::LineText(PortStatusLines::Line line) const
{
    QTreeWidgetItem* item = m_lines[static_cast<size_t>(line)];
    return item ? item->text(0) : QString();
}

void CNewPort::OnDocumentUpdate(DocumentObserver*, int hintValue)
{
    if (hintValue == hint::DocumentLoaded) {
        if (m_tree->topLevelItemCount() == 0)
            BuildTree();
        ShowSelectedPort();
        m_timer->start(kRefreshMs);
    } else if (hintValue == hint::DataChanged) {
        // The tree sends hint 1 when another port of the same kind was
        // selected: the panel must never go on showing the previous one.
        const Selection& s = m_doc.CurrentSelection();
        if (s.server != m_server || s.port != m_port)
            ShowSelectedPort();
        else
            Refresh();
        update();
    }
}

void CNewPort::ShowSelectedPort()
{
    const Selection& s = m_doc.CurrentSelection();
    m_server = s.server;
    m_port = s.port;
    m_error = false;
    m_rates = MeterRates();
    m_userConnected = false;
    m_account.clear();
    m_userName.clear();
    UpdateButtons();
    for (int l = 0; l < PortStatusLines::LineCount; ++l)
        SetLine(static_cast<PortStatusLines::Line>(l),
                PortStatusLines::InitialText(static_cast<PortStatusLines::Line>(l)));
    Refresh();
    update();
}

void CNewPort::Refresh()
{
    if (QueryPort()) {
        m_error = false;
        Fill();
        return;
    }
    if (m_error)
        return; // reported already; the next tick tries again
    m_error = true;
    update();
    m_doc.Interaction().ShowMessage(
        "Error when retrieving data from RAS port.\nNo data will be available for this port.", kMessageCaption,
        Buttons::Ok, Icon::Error);
}

void CNewPort::BuildTree()
{
    std::array<QTreeWidgetItem*, PortStatusLines::GroupCount> groups{};
    for (int g = 0; g < PortStatusLines::GroupCount; ++g) {
        const auto group = static_cast<PortStatusLines::Group>(g);
        auto* item = new QTreeWidgetItem(m_tree);
        item->setText(0, QString::fromLatin1(PortStatusLines::GroupTitle(group)));
        item->setIcon(0, Icons::PanelImage(PortStatusLines::GroupImage(group)));
        QFont bold = item->font(0);
        bold.setBold(true);
        item->setFont(0, bold);
        groups[static_cast<size_t>(g)] = item;
    }
    for (int l = 0; l < PortStatusLines::LineCount; ++l) {
        const auto line = static_cast<PortStatusLines::Line>(l);
        auto* item = new QTreeWidgetItem(groups[static_cast<size_t>(PortStatusLines::GroupOf(line))]);
        item->setText(0, QString::fromLatin1(PortStatusLines::InitialText(line)));
        item->setIcon(0, Icons::PanelImage(4));
        m_lines[static_cast<size_t>(l)] = item;
    }
    m_tree->expandAll();
}

bool CNewPort::QueryPort()
{
    const int index = m_doc.FindServer(m_server);
    return index != kNoServer && m_doc.GetPortLiveData(index, m_port);
}

void CNewPort::SetLine(PortStatusLines::Line line, const std::string& text)
{
    QTreeWidgetItem* item = m_lines[static_cast<size_t>(line)];
    const QString value = DisplayText(text);
    // Unchanged lines are left alone, so a refresh does not flicker.
    if (!item || item->text(0) == value)
        return;
    item->setText(0, value);
    ++m_rewrites;
}

void CNewPort::Fill()
{
    const PortLiveData& live = m_doc.LiveData();
    const PortStatusLines::Result result = PortStatusLines::Compute(live.port, live.statistics);
    if (result.userConnected) {
        m_userName = result.userName;
        m_account = result.account;
        SetConnected(true);
    } else {
        m_account.clear();
        SetConnected(false);
    }
    for (int l = 0; l < PortStatusLines::LineCount; ++l)
        if (const auto& text = result.texts[static_cast<size_t>(l)])
            SetLine(static_cast<PortStatusLines::Line>(l), *text);
    m_rates.Update(live.statistics.dwBytesXmited, live.statistics.dwBytesRcved, live.port.LineSpeed);
    update(MeterRect(true).united(MeterRect(false)).adjusted(-2, -2, 2, 2));
}

void CNewPort::SetConnected(bool connected)
{
    if (connected == m_userConnected)
        return;
    m_userConnected = connected;
    m_doc.Interaction().Beep(connected ? 6000 : 300, 200);
    UpdateButtons();
    update();
}

void CNewPort::OnTimerTick()
{
    Refresh();
}

void CNewPort::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceTree();
}

void CNewPort::PlaceTree()
{
    m_tree->setGeometry(0, kBandHeight + 1, width(), qMax(0, height() - kBandHeight - 1));
}

} // namespace dm
