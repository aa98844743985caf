#include "manager/ui/sheets/pagenote.h"

#include <QLabel>

namespace dm {

QWidget* PageNote(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::PlaceholderText));
    label->setPalette(palette);
    label->setWordWrap(true);
    return label;
}

} // namespace dm
