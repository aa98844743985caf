#include "manager/ui/sheets/userpages.h"

#include "framework/helpwindow.h"
#include "manager/core/dmdoc.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace dm {

CUserTime::CUserTime(CDMDoc& doc, QWidget* parent)
    : CPropertyPage(QStringLiteral("Time Restrictions"), parent), m_doc(doc)
{
    SetWantsContextHelp(true);
    const char* captions[] = {"Maximum session time:", "Maximum total usage:",
                              "From the time of the first connection, have the account expire after:",
                              "Limit session time to:"};
    const char* units[] = {"seconds", "seconds", "days", "seconds per"};
    const int boxHelp[] = {44, 46, 60, 63};
    const int fieldHelp[] = {45, 49, 61, 64};
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(12);
    for (int i = 0; i < LimitCount; ++i) {
        m_boxes[i] = new QCheckBox(QString::fromLatin1(captions[i]), this);
        m_fields[i] = new QLineEdit(this);
        m_fields[i]->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), m_fields[i]));
        m_fields[i]->setAlignment(Qt::AlignRight);
        m_fields[i]->setMaximumWidth(110);
        m_fields[i]->setEnabled(false);
        const bool wide = i == Expiry;
        grid->addWidget(m_boxes[i], 2 * i, 0, 1, wide ? 4 : 1);
        const int fieldRow = wide ? 2 * i + 1 : 2 * i;
        grid->addWidget(m_fields[i], fieldRow, 1);
        grid->addWidget(new QLabel(QString::fromLatin1(units[i]), this), fieldRow, 2);
        CHelpWindow::InstallWhatsThis(m_boxes[i], boxHelp[i]);
        CHelpWindow::InstallWhatsThis(m_fields[i], fieldHelp[i]);
        connect(m_boxes[i], &QCheckBox::clicked, this, [this, i] { OnBoxClicked(static_cast<Limit>(i)); });
        connect(m_fields[i], &QLineEdit::textEdited, this, [this] { SetModified(); });
    }
    m_period = new QComboBox(this);
    m_period->addItems({QStringLiteral("24 Hours"), QStringLiteral("Week"), QStringLiteral("Month")});
    m_period->setEnabled(false);
    grid->addWidget(m_period, 2 * Period, 3);
    grid->setColumnStretch(4, 1);
    connect(m_period, &QComboBox::activated, this, [this] { SetModified(); });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    layout->addLayout(grid);
    layout->addStretch(1);
}

void CUserTime::OnInitPage()
{
    const UserRecord& record = m_doc.EditRecord();
    const std::int32_t values[] = {record.maxSessionTime, record.maxTotalTime, record.expiryTime};
    for (int i = Session; i <= Expiry; ++i) {
        if (values[i] == 0)
            continue;
        m_boxes[i]->setChecked(true);
        m_fields[i]->setText(QString::number(values[i]));
        m_fields[i]->setEnabled(true);
    }
    if (record.periodType != 0) {
        m_boxes[Period]->setChecked(true);
        m_fields[Period]->setText(QString::number(record.periodMax));
        m_fields[Period]->setEnabled(true);
        m_period->setEnabled(true);
        // Clamped before the subtraction: any stored number, INT_MIN too, is safe.
        m_period->setCurrentIndex(std::clamp(record.periodType, 1, 3) - 1);
    }
}

void CUserTime::OnBoxClicked(Limit limit)
{
    const bool on = m_boxes[limit]->isChecked();
    m_fields[limit]->setEnabled(on);
    if (limit == Period) {
        m_period->setEnabled(on);
        if (on)
            m_period->setCurrentIndex(0);
    }
    if (on)
        m_fields[limit]->setFocus(Qt::OtherFocusReason);
    SetModified();
}

bool CUserTime::OnApply()
{
    const auto entry = [this](Limit limit) -> std::optional<std::string> {
        if (!m_boxes[limit]->isChecked())
            return std::nullopt;
        return m_fields[limit]->text().toStdString();
    };
    TimeLimitEntries entries;
    entries.maxSession = entry(Session);
    entries.maxTotal = entry(Total);
    entries.expiryDays = entry(Expiry);
    entries.periodMax = entry(Period);
    entries.periodIndex = m_period->currentIndex();
    ApplyTimeLimits(m_doc.EditRecord(), entries);
    m_doc.CommitEditedUser();
    return true;
}

} // namespace dm
