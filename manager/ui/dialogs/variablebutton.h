#pragma once
// The greeting dialog's "&Insert variable..." button: a push button drawn by
// hand with a small downward triangle near its right edge, opening the menu
// of variables below its lower left corner.

#include <QProxyStyle>
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

// The variables menu's items are "#NAME\t - what it stands for". A menu
// would put the part after the tab into its shortcut column, far right of
// the name and first to be cut where the screen is narrow; this style draws
// each description right after its name instead.
class CVariableMenuStyle : public QProxyStyle {
    Q_OBJECT
public:
    using QProxyStyle::QProxyStyle;
    // "#PMS\t - Port..." drawn as "#PMS   - Port...".
    static QString DrawnText(const QString& menuText);
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget = nullptr) const override;
};

} // namespace dm
