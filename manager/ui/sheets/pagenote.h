#pragma once
// A muted, wrapped explanation under a page's controls.

#include <QString>

class QWidget;

namespace dm {

QWidget* PageNote(const QString& text, QWidget* parent);

} // namespace dm
