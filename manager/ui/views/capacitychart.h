#pragma once
// The Capacity view's chart of one server: per hour of the day the carried
// load as bars and the estimated offered load as a line, with horizontal
// lines for the ports installed and the ports the grade of service needs in
// the busy hour. It paints what the capacity model computed.

#include "manager/core/capacitymodel.h"

#include <QWidget>

#include <optional>

namespace dm {

class CCapacityChart : public QWidget {
    Q_OBJECT
public:
    explicit CCapacityChart(QWidget* parent = nullptr);

    void SetFigures(std::optional<ServerCapacity> figures);
    // The most ports the grade of service needs in any hour; 0 without figures.
    int PortsNeededAtPeak() const;

    QSize sizeHint() const override { return {640, 240}; }
    QSize minimumSizeHint() const override { return {320, 160}; }

    // Draws the chart into a rectangle of any paint device (the view, a page).
    void Draw(QPainter& painter, const QRect& area) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<ServerCapacity> m_figures;
};

} // namespace dm
