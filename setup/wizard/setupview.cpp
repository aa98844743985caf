#include "setup/wizard/setupview.h"

#include <QFontMetrics>
#include <QPainter>

namespace dm {

namespace {

// An italic Arial of the given cell height, average character width and
// weight, as the screen's texts were designed.
QFont TextFont(int height, int width, int weight)
{
    QFont font("Arial");
    font.setPixelSize(height);
    font.setItalic(true);
    font.setWeight(static_cast<QFont::Weight>(weight));
    const int natural = QFontMetrics(font).averageCharWidth();
    if (natural > 0)
        font.setStretch(std::clamp(100 * width / natural, 1, 4000));
    return font;
}

// The text first in black at the shadow's place, then in yellow-olive.
void DrawShadowed(QPainter& painter, const QString& text, const QFont& font, QPoint shadow,
                  QPoint at)
{
    painter.setFont(font);
    const QRect big(0, 0, 4000, 400);
    painter.setPen(Qt::black);
    painter.drawText(big.translated(shadow), Qt::AlignLeft | Qt::AlignTop, text);
    painter.setPen(QColor(192, 192, 0));
    painter.drawText(big.translated(at), Qt::AlignLeft | Qt::AlignTop, text);
}

} // namespace

CSetupView::CSetupView(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void CSetupView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int w = width();
    const int h = height();
    for (int a = 0; a < 256; ++a) {
        const int top = BandTop(a, h);
        painter.fillRect(0, top, w, BandTop(a + 1, h) - top, QColor(BandRed(a), 0, 0));
    }
    painter.setBackgroundMode(Qt::TransparentMode);
    DrawShadowed(painter, QString::fromUtf8("Dialminder\u2122 V1.40"), TextFont(35, 16, 800),
                 {42, 42}, {40, 40});
    DrawShadowed(painter, QString::fromUtf8("for Windows NT\u00ae"), TextFont(20, 10, 600),
                 {42, 82}, {40, 81});
    DrawShadowed(painter,
                 QString::fromUtf8("Copyright \u00a9 1997 Osterhall Software. All rights reserved."),
                 TextFont(17, 8, 800), {42, h - 50}, {41, h - 50});
}

} // namespace dm
