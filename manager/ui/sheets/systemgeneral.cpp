#include "manager/ui/sheets/systemgeneral.h"

#include "framework/helpwindow.h"
#include "framework/icons.h"
#include "manager/core/dmdoc.h"
#include "manager/ui/sheets/systemsettingssheet.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace dm {

CSystemGeneral::CSystemGeneral(CDMDoc& doc, QWidget* parent)
    : CPropertyPage(QStringLiteral("General"), parent), m_doc(doc)
{
    SetHelpTopic(kSystemSettingsHelp);
    SetWantsContextHelp(true);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(18, 18, 18, 18);
    layout->setHorizontalSpacing(12);
    layout->setVerticalSpacing(8);
    auto* picture = new QLabel(this);
    picture->setPixmap(Icons::Render(QStringLiteral("servers.svg"), 32));
    auto* intro = new QLabel(QStringLiteral("All monitored servers share one central database directory. "
                                            "Its location is set by the server components."),
                             this);
    intro->setWordWrap(true);
    auto* label = new QLabel(QStringLiteral("&Master Server share:"), this);
    m_share = new QLineEdit(this);
    m_share->setReadOnly(true);
    label->setBuddy(m_share);
    layout->addWidget(picture, 0, 0, Qt::AlignTop);
    layout->addWidget(intro, 0, 1);
    layout->addWidget(label, 1, 1);
    layout->addWidget(m_share, 2, 1);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(3, 1);
    CHelpWindow::InstallWhatsThis(m_share, 16);
}

void CSystemGeneral::OnInitPage()
{
    m_share->setText(QString::fromStdString(m_doc.DatabaseDirectory()));
}

} // namespace dm
