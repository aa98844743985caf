#include "manager/ui/sheets/groupproperties.h"

#include "common/userinteraction.h"
#include "framework/helpwindow.h"
#include "manager/core/dmdoc.h"
#include "manager/core/messagecaption.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <limits>

namespace dm {

CGroupProperties::CGroupProperties(CDMDoc& doc, std::string source, std::string group, QWidget* parent)
    : CPropertyPage(QStringLiteral("Settings"), parent), m_doc(doc), m_source(std::move(source)),
      m_group(std::move(group))
{
    SetWantsContextHelp(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(12);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(12);
    // The fields take any text: Apply says which one is not a number.
    m_session = AddLimitRow(grid, 0, QStringLiteral("Maximum &session time:"), QStringLiteral("seconds"), 0, this);
    m_total = AddLimitRow(grid, 1, QStringLiteral("Maximum &total time:"), QStringLiteral("seconds"), 0, this);
    m_period = AddPeriodRow(grid, 2, QStringLiteral("&Limit session time to:"), 0, this);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    m_multiple = new QCheckBox(QStringLiteral("&Allow user account to connect to more than one port simultaneously."), this);
    layout->addWidget(m_multiple);
    layout->addSpacing(4);
    layout->addWidget(PageNote(QStringLiteral("These limits apply to every member of the group. Where a member's own "
                                              "settings are more generous, the member's own settings apply."),
                               this));
    layout->addStretch(1);

    CHelpWindow::InstallWhatsThis(m_session.box, 44);
    CHelpWindow::InstallWhatsThis(m_session.field, 45);
    CHelpWindow::InstallWhatsThis(m_total.box, 46);
    CHelpWindow::InstallWhatsThis(m_total.field, 101);
    CHelpWindow::InstallWhatsThis(m_multiple, 50);
    CHelpWindow::InstallWhatsThis(m_period.box, 63);
    CHelpWindow::InstallWhatsThis(m_period.field, 64);
    CHelpWindow::InstallWhatsThis(m_period.period, 65);

    const auto changed = [this] { SetModified(); };
    for (const LimitRow* row : {&m_session, &m_total, &m_period}) {
        ConnectLimitRow(*row, this, changed);
        connect(row->field, &QLineEdit::textEdited, this, changed);
    }
    connect(m_period.period, &QComboBox::activated, this, changed);
    connect(m_multiple, &QCheckBox::clicked, this, changed);
}

void CGroupProperties::OnInitPage()
{
    const GroupSettings settings = m_doc.LoadGroupSettings(m_source, m_group);
    m_total.Show(settings.totalLimitOn, QString::fromStdString(settings.maxTotalTime));
    m_session.Show(settings.sessionLimitOn, QString::fromStdString(settings.maxSessionTime));
    m_multiple->setChecked(settings.allowMultiplePorts);
    // A period type the choice cannot show is no period limit, as the
    // server component also takes it.
    const bool period = settings.periodLimitOn && settings.periodChoice >= 0 && settings.periodChoice < 3;
    m_period.Show(period, QString::fromStdString(settings.periodMax));
    m_period.period->setCurrentIndex(period ? settings.periodChoice : 0);
}

bool CGroupProperties::IsSeconds(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^ *([0-9]*)$"));
    const QRegularExpressionMatch match = number.match(text);
    if (!match.hasMatch())
        return false;
    // Beyond 32 bits the value would read back as another number.
    const QString digits = match.captured(1);
    bool ok = true;
    const qulonglong value = digits.toULongLong(&ok);
    return digits.isEmpty() || (ok && value <= static_cast<qulonglong>(std::numeric_limits<std::int32_t>::max()));
}

bool CGroupProperties::CheckAmount(const LimitRow& row)
{
    if (!row.On() || IsSeconds(row.field->text()))
        return true;
    m_doc.Interaction().ShowMessage("Please enter a number of seconds.", kMessageCaption, Buttons::Ok,
                                    Icon::Warning);
    row.field->setFocus(Qt::OtherFocusReason);
    row.field->selectAll();
    return false;
}

bool CGroupProperties::OnApply()
{
    if (!CheckAmount(m_session) || !CheckAmount(m_total) || !CheckAmount(m_period))
        return false;
    GroupSettings settings;
    settings.sessionLimitOn = m_session.On();
    settings.maxSessionTime = m_session.field->text().toStdString();
    settings.totalLimitOn = m_total.On();
    settings.maxTotalTime = m_total.field->text().toStdString();
    settings.allowMultiplePorts = m_multiple->isChecked();
    settings.periodLimitOn = m_period.On();
    settings.periodChoice = m_period.period->currentIndex();
    settings.periodMax = m_period.field->text().toStdString();
    if (!m_doc.SaveGroupSettings(m_source, m_group, settings)) {
        // Closing as if saved would lose what was typed.
        m_doc.Interaction().ShowMessage("The settings of group " + m_source + "\\" + m_group +
                                            " could not be saved.",
                                        kMessageCaption, Buttons::Ok, Icon::Error);
        return false;
    }
    return true;
}

} // namespace dm
