#pragma once
// The frame's toolbar: six flat buttons drawn by the bar itself, each with a
// normal and a disabled image, a tooltip and a state. A 100 ms timer follows
// the cursor and highlights the button under it while the main window is
// enabled; releasing the left button over a highlighted button sends the
// command 1000 + its index.

#include <QIcon>
#include <QString>
#include <QWidget>

#include <array>

class QTimer;

namespace dm {

class CFlatToolBar : public QWidget {
    Q_OBJECT
public:
    enum class State { Normal, Disabled, Highlighted, Pressed };
    static constexpr int kButtons = 6;
    static constexpr int kFirstCommand = 1000;

    explicit CFlatToolBar(QWidget* parent = nullptr);

    void EnableButton(int index, bool enable);
    bool IsButtonEnabled(int index) const;
    State ButtonState(int index) const { return m_buttons.at(static_cast<size_t>(index)).state; }
    QString ToolTipText(int index) const { return m_buttons.at(static_cast<size_t>(index)).tip; }
    QRect ButtonRect(int index) const;
    // Follows the cursor once, as the timer does.
    void TrackCursor(const QPoint& localPos);

    QSize sizeHint() const override;

Q_SIGNALS:
    // 1000 + the button's index.
    void commandTriggered(int command);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct Button {
        QIcon icon;
        QString tip;
        State state = State::Normal;
    };
    int ButtonAt(const QPoint& pos) const;
    void OnTimer();

    std::array<Button, kButtons> m_buttons;
    QTimer* m_timer = nullptr;
};

} // namespace dm
