#include "manager/ui/views/introview.h"

#include "framework/icons.h"
#include "manager/core/dmdoc.h"

#include <QPainter>
#include <QPainterPath>

namespace dm {

CIntroView::CIntroView(CDMDoc& doc, QWidget* parent) : QWidget(parent), m_doc(doc)
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Base));
    setPalette(pal);
}

void CIntroView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect area = rect();
    painter.fillRect(area, palette().color(QPalette::Base));

    // A card in the middle of the pane.
    const int cardWidth = qMin(460, area.width() - 40);
    const int cardHeight = 300;
    QRectF card((area.width() - cardWidth) / 2.0, qMax(20.0, (area.height() - cardHeight) / 2.5), cardWidth,
                cardHeight);
    QPainterPath path;
    path.addRoundedRect(card, 14, 14);
    painter.fillPath(path, QColor(0xf8, 0xfa, 0xfc));
    painter.setPen(QPen(QColor(0xe2, 0xe8, 0xf0), 1));
    painter.drawPath(path);

    const QRect icon(static_cast<int>(card.center().x()) - 36, static_cast<int>(card.top()) + 28, 72, 72);
    Icons::Application().paint(&painter, icon);

    QFont name(QStringLiteral("Liberation Sans"));
    name.setPointSize(22);
    name.setBold(true);
    painter.setFont(name);
    painter.setPen(QColor(0x1e, 0x3a, 0x8a));
    QRectF line(card.left(), icon.bottom() + 12, card.width(), 36);
    painter.drawText(line, Qt::AlignCenter, QStringLiteral("Dialminder"));

    QFont normal(QStringLiteral("Liberation Sans"));
    normal.setPointSize(11);
    painter.setFont(normal);
    painter.setPen(QColor(0x47, 0x55, 0x69));
    line.translate(0, 36);
    line.setHeight(22);
    painter.drawText(line, Qt::AlignCenter, VersionText());

    QFont small(QStringLiteral("Liberation Sans"));
    small.setPointSize(9);
    painter.setFont(small);
    painter.setPen(QColor(0x64, 0x74, 0x8b));
    line.translate(0, 36);
    line.setHeight(72);
    painter.drawText(line, Qt::AlignHCenter | Qt::AlignTop,
                     QStringLiteral("Osterhall Software\nRemote access administration\n"
                                    "support@osterhall.example  \u00b7  www.osterhall.example"));
    painter.end();
    if (!m_doc.IntroDrawn())
        m_doc.SetIntroDrawn();
}

} // namespace dm
