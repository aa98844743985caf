#pragma once
// The rows that the group and default profile pages share: a check box that
// switches a limit on, the field that holds its amount and the unit after it,
// and the period limit with its "24 Hours", "Week", "Month" choice. A check
// box enables its field (and the period choice) and gives the field the
// focus when it is switched on.

#include <QObject>
#include <QString>

#include <functional>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QWidget;

namespace dm {

struct LimitRow {
    QCheckBox* box = nullptr;
    QLineEdit* field = nullptr;
    QComboBox* period = nullptr; // only on the period row

    bool On() const;
    // Checks or clears the box, shows the text and enables the field to match.
    void Show(bool on, const QString& text);
    void EnableFields() const;
};

// Adds a row "[ ] text [field] unit" at row of grid. digits > 0 gives the
// field a validator for that many digits; 0 takes any text.
LimitRow AddLimitRow(QGridLayout* grid, int row, const QString& text, const QString& unit, int digits,
                     QWidget* parent);
// The same with the period choice after "seconds per".
LimitRow AddPeriodRow(QGridLayout* grid, int row, const QString& text, int digits, QWidget* parent);

// Wires the box's clicks: enable, focus, and on the period row choose
// "24 Hours"; then calls changed.
void ConnectLimitRow(const LimitRow& row, QObject* context, std::function<void()> changed);

// A muted, wrapped explanation under a page's controls.
QWidget* PageNote(const QString& text, QWidget* parent);

} // namespace dm
