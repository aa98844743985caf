#include "manager/ui/sheets/groupproperties.h"

#include "common/userinteraction.h"
#include "framework/helpwindow.h"
#include "manager/core/dmdoc.h"
#include "manager/core/messagecaption.h"
#include "manager/ui/sheets/pagenote.h"

#include <QCheckBox>
#include <QVBoxLayout>

namespace dm {

CGroupProperties::CGroupProperties(CDMDoc& doc, std::string source, std::string group, QWidget* parent)
    // A group's limits have no expiry.
    : CLimitsPage(QStringLiteral("Settings"), doc,
                  {QStringLiteral("Maximum &session time:"), QStringLiteral("Maximum &total time:"), QString(),
                   QStringLiteral("&Limit session time to:")},
                  parent),
      m_source(std::move(source)), m_group(std::move(group))
{
    SetWantsContextHelp(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setSpacing(12);
    layout->addWidget(m_form);
    m_multiple = new QCheckBox(QStringLiteral("&Allow user account to connect to more than one port simultaneously."), this);
    layout->addWidget(m_multiple);
    layout->addSpacing(4);
    layout->addWidget(PageNote(QStringLiteral("These limits apply to every member of the group. Where a member's own "
                                              "settings are more generous, the member's own settings apply."),
                               this));
    layout->addStretch(1);

    m_form->InstallHelp({{44, 46, 0, 63}, {45, 101, 0, 64}, 65});
    CHelpWindow::InstallWhatsThis(m_multiple, 50);

    connect(m_multiple, &QCheckBox::clicked, this, [this] { SetModified(); });
}

void CGroupProperties::OnInitPage()
{
    m_shown = m_doc.LoadGroupSettings(m_source, m_group);
    const GroupSettings& settings = m_shown;
    m_form->Load(FormLimitsOf(settings));
    m_multiple->setChecked(settings.allowMultiplePorts);
}

bool CGroupProperties::OnApply()
{
    const std::optional<LimitsReading> reading = ReadForm();
    if (!reading)
        return false;
    const LimitsEntry entry = m_form->Entry();
    GroupSettings settings;
    settings.sessionLimitOn = entry.on[LimitSession];
    settings.maxSessionTime = entry.text[LimitSession];
    settings.totalLimitOn = entry.on[LimitTotal];
    settings.maxTotalTime = entry.text[LimitTotal];
    settings.allowMultiplePorts = m_multiple->isChecked();
    settings.periodLimitOn = entry.on[LimitPeriod];
    settings.periodChoice = entry.periodChoice;
    settings.periodMax = entry.text[LimitPeriod];
    if (!m_doc.SaveGroupSettings(m_source, m_group, m_shown, settings)) {
        // Closing as if saved would lose what was typed.
        m_doc.Interaction().ShowMessage("The settings of group " + m_source + "\\" + m_group +
                                            " could not be saved.",
                                        kMessageCaption, Buttons::Ok, Icon::Error);
        return false;
    }
    m_shown = settings;
    m_form->MarkSaved(reading->limits);
    return true;
}

} // namespace dm
