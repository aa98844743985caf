#include "manager/ui/sheets/limitrows.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace dm {

namespace {

QLineEdit* AmountField(int digits, QWidget* parent)
{
    auto* field = new QLineEdit(parent);
    if (digits > 0)
        field->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(digits)), field));
    field->setAlignment(Qt::AlignRight);
    field->setFixedWidth(90);
    return field;
}

} // namespace

bool LimitRow::On() const
{
    return box->isChecked();
}

void LimitRow::Show(bool on, const QString& text)
{
    box->setChecked(on);
    field->setText(on ? text : QString());
    EnableFields();
}

void LimitRow::EnableFields() const
{
    field->setEnabled(box->isChecked());
    if (period)
        period->setEnabled(box->isChecked());
}

LimitRow AddLimitRow(QGridLayout* grid, int row, const QString& text, const QString& unit, int digits,
                     QWidget* parent)
{
    LimitRow limit;
    limit.box = new QCheckBox(text, parent);
    limit.field = AmountField(digits, parent);
    auto* line = new QHBoxLayout;
    line->setSpacing(6);
    line->addWidget(limit.field);
    line->addWidget(new QLabel(unit, parent));
    line->addStretch(1);
    grid->addWidget(limit.box, row, 0);
    grid->addLayout(line, row, 1);
    limit.EnableFields();
    return limit;
}

LimitRow AddPeriodRow(QGridLayout* grid, int row, const QString& text, int digits, QWidget* parent)
{
    LimitRow limit = AddLimitRow(grid, row, text, QStringLiteral("seconds per"), digits, parent);
    limit.period = new QComboBox(parent);
    limit.period->addItems({QStringLiteral("24 Hours"), QStringLiteral("Week"), QStringLiteral("Month")});
    auto* line = static_cast<QHBoxLayout*>(grid->itemAtPosition(row, 1)->layout());
    line->insertWidget(2, limit.period);
    limit.EnableFields();
    return limit;
}

void ConnectLimitRow(const LimitRow& row, QObject* context, std::function<void()> changed)
{
    QObject::connect(row.box, &QCheckBox::clicked, context, [row, changed](bool checked) {
        row.EnableFields();
        if (checked) {
            if (row.period)
                row.period->setCurrentIndex(0);
            row.field->setFocus(Qt::OtherFocusReason);
        }
        changed();
    });
}

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
