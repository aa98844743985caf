#pragma once
// The greeting dialog's "&Insert variable..." button: a push button drawn by
// hand with a small downward triangle near its right edge, opening the menu
// of variables below its lower left corner.

#include <QPushButton>

#include <array>

namespace dm {

class CVariableButton : public QPushButton {
    Q_OBJECT
public:
    static constexpr const char* kCaption = "&Insert variable...";
    explicit CVariableButton(QWidget* parent = nullptr);

    // The five rows of the triangle, for a button of this size: each row's
    // left x, y and width (before the one-pixel shift while pressed).
    struct Row {
        int x, y, width;
    };
    static std::array<Row, 5> TriangleRows(const QSize& size);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace dm
