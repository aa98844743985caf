#include "manager/ui/sheets/limitsform.h"

#include "common/userinteraction.h"
#include "framework/helpwindow.h"
#include "manager/core/messagecaption.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

namespace dm {

namespace {

constexpr int kCaptionColumn = 0;
constexpr int kFieldColumn = 1;
constexpr int kUnitColumn = 2;
constexpr int kChoiceColumn = 3;
constexpr int kColumns = 5;

} // namespace

CLimitsForm::CLimitsForm(const Captions& captions, QWidget* parent) : QWidget(parent)
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(12);
    int row = 0;
    AddRow(LimitSession, captions.session, QStringLiteral("seconds"), row++);
    AddRow(LimitTotal, captions.total, QStringLiteral("seconds"), row++);
    if (!captions.expiry.isEmpty()) {
        // The long caption takes a line of its own, so that the fields of all
        // rows stay in one narrow column.
        m_boxes[LimitExpiry] = new QCheckBox(captions.expiry, this);
        grid->addWidget(m_boxes[LimitExpiry], row++, kCaptionColumn, 1, kColumns);
        AddRow(LimitExpiry, QString(), QStringLiteral("days"), row++);
    }
    AddRow(LimitPeriod, captions.period, QStringLiteral("seconds per"), row);
    m_period = new QComboBox(this);
    m_period->addItems({QStringLiteral("24 Hours"), QStringLiteral("Week"), QStringLiteral("Month")});
    grid->addWidget(m_period, row, kChoiceColumn);
    grid->setColumnStretch(kColumns - 1, 1);
    connect(m_period, &QComboBox::activated, this, &CLimitsForm::changed);
    for (LimitField field : {LimitSession, LimitTotal, LimitExpiry, LimitPeriod})
        if (HasRow(field))
            EnableRow(field);
}

void CLimitsForm::AddRow(LimitField field, const QString& caption, const QString& unit, int row)
{
    auto* grid = static_cast<QGridLayout*>(layout());
    if (!m_boxes[field]) {
        m_boxes[field] = new QCheckBox(caption, this);
        grid->addWidget(m_boxes[field], row, kCaptionColumn);
    }
    auto* edit = new QLineEdit(this);
    // Ten digits: a person can type a value beyond the largest and is told
    // which is the largest, instead of finding the last digit refused.
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), edit));
    edit->setAlignment(Qt::AlignRight);
    edit->setFixedWidth(100);
    m_fields[field] = edit;
    grid->addWidget(edit, row, kFieldColumn);
    grid->addWidget(new QLabel(unit, this), row, kUnitColumn);
    connect(m_boxes[field], &QCheckBox::clicked, this, [this, field] { OnBoxClicked(field); });
    connect(edit, &QLineEdit::textEdited, this, &CLimitsForm::changed);
}

void CLimitsForm::OnBoxClicked(LimitField field)
{
    EnableRow(field);
    if (m_boxes[field]->isChecked()) {
        if (field == LimitPeriod)
            m_period->setCurrentIndex(0);
        m_fields[field]->setFocus(Qt::OtherFocusReason);
    }
    Q_EMIT changed();
}

void CLimitsForm::EnableRow(LimitField field)
{
    const bool on = m_boxes[field]->isChecked();
    m_fields[field]->setEnabled(on);
    if (field == LimitPeriod)
        m_period->setEnabled(on);
}

void CLimitsForm::Load(const FormLimits& limits)
{
    m_loaded = limits;
    const LimitsEntry entry = ShowLimits(limits);
    for (LimitField field : {LimitSession, LimitTotal, LimitExpiry, LimitPeriod}) {
        if (!HasRow(field))
            continue;
        m_boxes[field]->setChecked(entry.on[field]);
        m_fields[field]->setText(QString::fromStdString(entry.text[field]));
        EnableRow(field);
    }
    m_period->setCurrentIndex(entry.periodChoice);
}

LimitsEntry CLimitsForm::Entry() const
{
    // A form without a row shows that row as loaded, so it reads back unchanged.
    LimitsEntry entry = ShowLimits(m_loaded);
    for (LimitField field : {LimitSession, LimitTotal, LimitExpiry, LimitPeriod}) {
        if (!HasRow(field))
            continue;
        entry.on[field] = m_boxes[field]->isChecked();
        entry.text[field] = m_fields[field]->text().toStdString();
    }
    entry.periodChoice = m_period->currentIndex();
    return entry;
}

LimitsReading CLimitsForm::Read()
{
    LimitsReading reading = ReadLimits(Entry(), m_loaded);
    if (!reading.ok) {
        QLineEdit* field = m_fields[reading.refused];
        field->setFocus(Qt::OtherFocusReason);
        field->selectAll();
    }
    return reading;
}

std::optional<LimitsReading> CLimitsForm::ReadOrRefuse(UserInteraction& ui)
{
    LimitsReading reading = Read();
    if (!reading.ok) {
        ui.ShowMessage(reading.message, kMessageCaption, Buttons::Ok, Icon::Warning);
        return std::nullopt;
    }
    return reading;
}

void CLimitsForm::InstallHelp(const HelpContexts& help)
{
    for (LimitField field : {LimitSession, LimitTotal, LimitExpiry, LimitPeriod}) {
        if (!HasRow(field))
            continue;
        if (help.box[field] != 0)
            CHelpWindow::InstallWhatsThis(m_boxes[field], help.box[field]);
        if (help.field[field] != 0)
            CHelpWindow::InstallWhatsThis(m_fields[field], help.field[field]);
    }
    if (help.choice != 0)
        CHelpWindow::InstallWhatsThis(m_period, help.choice);
}

void CLimitsForm::FollowInTabOrder(QWidget* previous)
{
    for (LimitField field : {LimitSession, LimitTotal, LimitExpiry, LimitPeriod}) {
        if (!HasRow(field))
            continue;
        for (QWidget* control : {static_cast<QWidget*>(m_boxes[field]), static_cast<QWidget*>(m_fields[field])}) {
            QWidget::setTabOrder(previous, control);
            previous = control;
        }
    }
    QWidget::setTabOrder(previous, m_period);
}

std::vector<std::string> CLimitsForm::ChangedKeys() const
{
    return ReadLimits(Entry(), m_loaded).changedKeys;
}

} // namespace dm
