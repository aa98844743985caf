#pragma once
// LiveGlance: a small window with one row per monitored server showing its
// busy and total RAS ports, refreshed every five seconds.

#include "setup/liveglance/portglance.h"

#include <QWidget>

class QTableWidget;
class QTimer;

namespace dm {

class CLiveGlanceWindow : public QWidget {
    Q_OBJECT
public:
    explicit CLiveGlanceWindow(const RasAdminFunctions& ras, QWidget* parent = nullptr);

    void Refresh();
    QTableWidget* Table() const { return m_table; }
    QTimer* Timer() const { return m_timer; }

private:
    const RasAdminFunctions& m_ras;
    QTableWidget* m_table = nullptr;
    QTimer* m_timer = nullptr;
};

} // namespace dm
