#include "manager/ui/dialogs/variablebutton.h"

#include <QMenu>
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

QString CVariableMenuStyle::DrawnText(const QString& menuText)
{
    const qsizetype tab = menuText.indexOf(QLatin1Char('\t'));
    if (tab < 0)
        return menuText;
    return menuText.left(tab) + QStringLiteral("   ") + menuText.mid(tab + 1).trimmed();
}

void CVariableMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                     const QWidget* widget) const
{
    if (element == CE_MenuItem) {
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
            QStyleOptionMenuItem joined(*item);
            joined.text = DrawnText(item->text);
            joined.reservedShortcutWidth = 0;
            QProxyStyle::drawControl(element, &joined, painter, widget);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

QSize CVariableMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                           const QWidget* widget) const
{
    QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type != CT_MenuItem)
        return result;
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (!item || !item->text.contains(QLatin1Char('\t')))
        return result;
    // The menu adds the widest description as its shortcut column; the item
    // asks for the width of its drawn text less its own description.
    const QFontMetrics metrics(item->font);
    QStyleOptionMenuItem plain(*item);
    plain.text = DrawnText(item->text);
    plain.reservedShortcutWidth = 0;
    const QSize plainSize = QProxyStyle::sizeFromContents(
        type, &plain, QSize(metrics.horizontalAdvance(plain.text), size.height()), widget);
    const QString description = item->text.mid(item->text.indexOf(QLatin1Char('\t')) + 1);
    result.setWidth(plainSize.width() - metrics.horizontalAdvance(description));
    return result;
}

} // namespace dm
