#pragma once
// The strip that chooses the view mode: three tabs "Status", "History" and
// "Graphs" of 80 pixels each, and beside them the counters of servers, ports
// and busy ports. It takes the focus (Tab, a click); the arrow keys, Home
// and End then choose a tab, and the chosen one shows a focus frame.

#include <QStringList>
#include <QWidget>

namespace dm {

struct PortCounters;

class CViewSwitchBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTabWidth = 80;

    CViewSwitchBar(const PortCounters& counters, QWidget* parent = nullptr);

    void SetMode(int mode);
    int Mode() const { return m_mode; }
    QRect TabRect(int index) const;
    QString CountersText() const;
    // The counters as drawn in this many pixels: the full text when it fits,
    // else the same numbers with short gaps, else on two lines.
    QStringList CountersLines(int width) const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void modeSelected(int mode);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int CountersLeft() const;
    int CountersWidth(const QStringList& lines) const;

    const PortCounters& m_counters;
    int m_mode = 0;
};

} // namespace dm
