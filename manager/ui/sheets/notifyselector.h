#pragma once
// The picture on the Notifications page that chooses which of the two
// notifications is edited: the upper half stands for notification 1, the
// lower half for notification 2; the chosen half is framed sunken.

#include <QWidget>

namespace dm {

class CNotifySelector : public QWidget {
    Q_OBJECT
public:
    explicit CNotifySelector(QWidget* parent = nullptr);

    // 0 or 1.
    int Selected() const { return m_selected; }
    void SetSelected(int index);
    // The notification a button release at row y chooses: the middle row
    // belongs to the upper half.
    static int IndexAt(int y, int height) { return y <= height / 2 ? 0 : 1; }

    QSize sizeHint() const override { return {124, 190}; }

Q_SIGNALS:
    void chosen(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int m_selected = 0;
};

} // namespace dm
