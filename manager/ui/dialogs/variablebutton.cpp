#include "manager/ui/dialogs/variablebutton.h"

#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>

namespace dm {

namespace {
// The caption drawn, with room on the right for the triangle.
const QString kDrawnCaption = QStringLiteral("&Insert variable...   ");
} // namespace

CVariableButton::CVariableButton(QWidget* parent) : QPushButton(QString::fromLatin1(kCaption), parent)
{
    setAutoDefault(false);
}

std::array<CVariableButton::Row, 5> CVariableButton::TriangleRows(const QSize& size)
{
    // Rows centred 15 pixels left of the right edge; the lowest (one pixel
    // wide) lies 3 pixels below the vertical centre, the top one is 9 wide.
    const int centreX = size.width() - 15;
    const int lowest = size.height() / 2 + 3;
    std::array<Row, 5> rows{};
    for (int i = 0; i < 5; ++i) {
        const int width = 1 + 2 * (4 - i);
        rows[static_cast<size_t>(i)] = {centreX - width / 2, lowest - 4 + i, width};
    }
    return rows;
}

QSize CVariableButton::sizeHint() const
{
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, kDrawnCaption);
    return {text.width() + 36, qMax(text.height() + 12, QPushButton::sizeHint().height())};
}

void CVariableButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    style()->drawControl(QStyle::CE_PushButtonBevel, &option, &painter, this);

    const int shift = isDown() ? 1 : 0;
    const QRect textArea = rect().translated(shift, shift);
    style()->drawItemText(&painter, textArea, Qt::AlignCenter | Qt::TextShowMnemonic, palette(), isEnabled(),
                          kDrawnCaption, QPalette::ButtonText);
    const QColor arrow = isEnabled() ? palette().color(QPalette::ButtonText)
                                     : palette().color(QPalette::Disabled, QPalette::ButtonText);
    for (const Row& row : TriangleRows(size()))
        painter.fillRect(row.x + shift, row.y + shift, row.width, 1, arrow);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(4, 4, -4, -4);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

} // namespace dm
