#include "setup/liveglance/liveglancewindow.h"
#include "framework/displaytext.h"

#include <QHeaderView>
#include <QProgressBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace dm {

CLiveGlanceWindow::CLiveGlanceWindow(const RasAdminFunctions& ras, QWidget* parent)
    : QWidget(parent), m_ras(ras)
{
    setWindowTitle("Dialminder LiveGlance");
    m_table = new QTableWidget(0, 3, this);
    m_table->setHorizontalHeaderLabels({"Server", "Busy ports", "Load"});
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionMode(QAbstractItemView::NoSelection);
    m_table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(m_table);
    resize(360, 200);
    m_timer = new QTimer(this);
    m_timer->setInterval(5000);
    connect(m_timer, &QTimer::timeout, this, &CLiveGlanceWindow::Refresh);
    m_timer->start();
    Refresh();
}

void CLiveGlanceWindow::Refresh()
{
    const auto glances = GlanceAtServers(m_ras, MonitoredServers());
    m_table->setRowCount(static_cast<int>(glances.size()));
    for (int row = 0; row < static_cast<int>(glances.size()); ++row) {
        const ServerGlance& g = glances[static_cast<std::size_t>(row)];
        m_table->setItem(row, 0, new QTableWidgetItem(DisplayText(g.server)));
        const QString busy = QString::fromStdString(GlanceText(g, m_ras));
        m_table->setItem(row, 1, new QTableWidgetItem(busy));
        auto* bar = new QProgressBar(m_table);
        bar->setRange(0, std::max(g.ports, 1));
        bar->setValue(g.error ? 0 : g.busy);
        bar->setFormat(g.error ? QString() : QString("%p%"));
        m_table->setCellWidget(row, 2, bar);
    }
}

} // namespace dm
